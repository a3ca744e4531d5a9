#!/usr/bin/env bash
# Makes, once, the Debian 13 (trixie) root in which the GIMP 3 tests run GIMP 3,
# and installs on this machine what the GEGL operation needs (GEGL's development
# files, the gegl command) and debootstrap:
#
#   tools/make-gimp3-root.sh [--root FOLDER]
#
# FOLDER defaults to $LUMIVEIL_GIMP3_ROOT, else /var/cache/lumiveil/gimp3-root: outside
# every work tree, so that every clone on this machine (CI's as well) shares one root
# of about 1.5 GB. A finished root carries the mark .lumiveil-ready; a second run then
# costs nothing. The root is built beside its final place and moved there only when
# complete, so an interrupted run leaves no half root behind.
#
# Where the root cannot be made (not root, no debootstrap, no mirror, a failed
# download) the script says so in one line and exits 1. The GIMP 3 tests then fail,
# or count as skipped where this machine cannot make the root (not root, no
# debootstrap) and nothing requires it (tests/e2e/skips.py).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/apt-packages.sh"
. "$here/lean-root.sh"
who=gimp3-root
release=trixie
ready_mark=.lumiveil-ready
# A mirror in the middle of a sync fails a download now and then: try again a few times.
attempts=3

root_dir=${LUMIVEIL_GIMP3_ROOT:-/var/cache/lumiveil/gimp3-root}
while [ $# -gt 0 ]; do
  case "$1" in
    --root)
      [ $# -ge 2 ] || { apt_say "$who" "--root needs a folder"; exit 1; }
      root_dir=$2
      shift 2
      ;;
    *) apt_say "$who" "unknown argument $1 (use --root FOLDER)"; exit 1 ;;
  esac
done

apt_missing libgegl-dev gegl debootstrap
if [ "${#apt_need[@]}" -gt 0 ]; then
  apt_install "$who" "${apt_need[@]}" || exit 1
fi

if [ -e "$root_dir/$ready_mark" ]; then
  echo "$who: GIMP 3 root ready at $root_dir"
  exit 0
fi
if [ "$(id -u)" != 0 ]; then
  echo "$who: no GIMP 3 root at $root_dir, and only root can make one; the GIMP 3 tests will be skipped (they fail where CI=true)"
  exit 1
fi
if ! command -v debootstrap >/dev/null; then
  echo "$who: no debootstrap, so no GIMP 3 root; the GIMP 3 tests will be skipped (they fail where CI=true)"
  exit 1
fi
mirror=$(release_mirror "$who" "no GIMP 3 root is made; the GIMP 3 tests will fail") || exit 1

partial=$root_dir.partial
log=$(dirname "$root_dir")/gimp3-root.log
mkdir -p "$(dirname "$root_dir")"
# Another clone's install step (CI's) may be making the same root: wait for it,
# then use what it made.
exec 9>"$root_dir.lock"
flock 9
if [ -e "$root_dir/$ready_mark" ]; then
  echo "$who: GIMP 3 root ready at $root_dir"
  exit 0
fi
: >"$log"

# Runs a command inside the partial root, /proc mounted for that command alone.
in_root() { "$here/gimp3-root-run" --root "$partial" "$@"; }

retry() {
  local try
  for try in $(seq "$attempts"); do
    "$@" >>"$log" 2>&1 && return 0
    [ "$try" = "$attempts" ] || sleep $((try * 10))
  done
  return 1
}

make_base() {
  rm -rf "$partial"
  debootstrap --variant=minbase "$release" "$partial" "$mirror" && lean_root "$partial"
}

install_gimp() {
  in_root env DEBIAN_FRONTEND=noninteractive sh -c \
    'apt-get update -qq && apt-get install -y -qq --no-install-recommends gimp'
}

echo "$who: making the GIMP 3 root at $root_dir from $mirror (a few minutes, about 1.5 GB; log in $log)"
if ! retry make_base; then
  echo "$who: debootstrap of $release from $mirror failed $attempts times (see $log); the GIMP 3 tests will fail"
  rm -rf "$partial"
  exit 1
fi
if ! retry install_gimp; then
  echo "$who: GIMP 3 could not be installed in the root (see $log); the GIMP 3 tests will fail"
  rm -rf "$partial"
  exit 1
fi
# The downloaded packages are no longer needed.
in_root apt-get clean >>"$log" 2>&1 || true
touch "$partial/$ready_mark"
rm -rf "$root_dir"
mv "$partial" "$root_dir"
echo "$who: GIMP 3 root ready at $root_dir"
