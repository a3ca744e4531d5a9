# Installing Debian packages on a bad day: sourced by the project's install steps.
#
#   apt_missing PACKAGE...   sets apt_need to those not installed yet
#   apt_install WHO PACKAGE...
#                            installs them (as root), refreshing the package lists at
#                            most once per process; says in one line what it did
#   apt_extra_suite WHO SUITE PACKAGE...
#                            installs from one more suite of the release's own mirror
#                            (e.g. bookworm-backports); the source is removed again
#
# A mirror in the middle of a sync, or an extra suite it lacks, must not stop an
# install: the lists are refreshed a few times, then used as they are. Where the
# refreshed lists then disagree across architectures (a security index present for
# amd64 but not for i386 offers versions that multi-arch packages cannot match),
# the install is retried with the release's own suite as target.
# Every failure ends in one sentence on standard error and a non-zero status.

# Another apt-get or dpkg at work (an unattended upgrade, a second install step)
# holds the package locks: wait for it rather than fail.
apt_lock_wait=(-o DPkg::Lock::Timeout=600)

# The command that a user without root runs again with sudo; the script itself if unset.
apt_command=
apt_lists_refreshed=no
apt_lists_complete=no
apt_need=()

apt_say() { printf '%s: %s\n' "$1" "$2" >&2; }

apt_missing() {
  apt_need=()
  local package
  for package in "$@"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' ||
      apt_need+=("$package")
  done
}

# apt_codename, apt_mirror and release_mirror: the release and its mirror.
. "$(dirname "${BASH_SOURCE[0]}")/release-mirror.sh"

# apt-get update, up to three times; the last failure's first error line is kept.
# Extra arguments go to apt-get (to refresh one source alone).
apt_refresh_lists() {
  local who=$1 try log
  shift
  log=$(mktemp)
  for try in 1 2 3; do
    if apt-get update -qq "${apt_lock_wait[@]}" "$@" >"$log" 2>&1; then
      rm -f "$log"
      return 0
    fi
    [ "$try" = 3 ] || sleep $((try * 5))
  done
  apt_refresh_error=$(grep -m1 '^E:' "$log" || tail -n1 "$log")
  rm -f "$log"
  return 1
}

apt_refresh_once() {
  local who=$1
  [ "$apt_lists_refreshed" = yes ] && return 0
  apt_lists_refreshed=yes
  if apt_refresh_lists "$who"; then
    apt_lists_complete=yes
  else
    apt_say "$who" "the package lists could not all be refreshed (${apt_refresh_error:-no reason given}); going on with those at hand"
  fi
}

apt_require_root() {
  local who=$1
  shift
  [ "$(id -u)" = 0 ] && return 0
  apt_say "$who" "missing packages: $*; run 'sudo ${apt_command:-$0}' (or the same as root) to install them"
  return 1
}

# Runs apt-get install; on failure keeps its first error line in apt_install_error.
apt_get_install() {
  local log status=0
  log=$(mktemp)
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends \
    "${apt_lock_wait[@]}" "$@" >"$log" 2>&1 ||
    status=$?
  apt_install_error=$(grep -m1 '^E:' "$log" || tail -n1 "$log")
  rm -f "$log"
  return "$status"
}

apt_install() {
  local who=$1 codename
  shift
  [ "$#" -gt 0 ] || return 0
  apt_require_root "$who" "$@" || return 1
  apt_say "$who" "installing $*"
  apt_refresh_once "$who"
  apt_get_install "$@" && return 0
  local first_error=$apt_install_error
  codename=$(apt_codename)
  if [ -n "$codename" ] && apt_get_install -t "$codename" "$@"; then
    apt_say "$who" "installed from the release's own suite ($codename), since the refreshed lists offered versions that do not fit together (${first_error})"
    return 0
  fi
  apt_say "$who" "could not install $* (${apt_install_error:-$first_error})"
  return 1
}

# Installs PACKAGE... from SUITE of the release's own mirror, through a source list
# of its own that is removed again afterwards, so that a mirror without that suite
# never breaks a later apt-get update on this machine.
apt_extra_suite() {
  local who=$1 suite=$2 mirror list status=1
  shift 2
  apt_require_root "$who" "$@" || return 1
  apt_refresh_once "$who"
  mirror=$(release_mirror "$who" "$suite is not tried") || return 1
  list=/etc/apt/sources.list.d/lumiveil-$suite.list
  echo "deb $mirror $suite main" >"$list"
  if apt_refresh_lists "$who" -o Dir::Etc::sourcelist="$list" -o Dir::Etc::sourceparts=- \
       -o APT::Get::List-Cleanup=0; then
    apt_say "$who" "installing $* from $suite"
    apt_get_install -t "$suite" "$@" && status=0
    [ "$status" = 0 ] || apt_say "$who" "could not install $* from $suite (${apt_install_error})"
  else
    apt_say "$who" "$suite could not be read from $mirror (${apt_refresh_error:-no reason given})"
  fi
  rm -f "$list"
  return "$status"
}
