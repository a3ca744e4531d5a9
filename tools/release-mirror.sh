# The release's own package mirror, as this machine's package sources name it:
# sourced by tools/apt-packages.sh and so by every install step. The project
# names no mirror of its own.
#
#   apt_codename             this machine's release (bookworm, trixie...)
#   apt_mirror               its mirror's address, or nothing
#   release_mirror WHO WHAT  its mirror's address; where there is none, says in one
#                            line on standard error that WHAT, and returns 1

apt_codename() { (. /etc/os-release && echo "${VERSION_CODENAME:-}"); }

apt_mirror() {
  local codename
  codename=$(apt_codename)
  apt-get indextargets --format '$(REPO_URI) $(RELEASE)' 2>/dev/null |
    awk -v release="$codename" '$2 == release { print $1; exit }'
}

release_mirror() {
  local mirror
  mirror=$(apt_mirror)
  if [ -z "$mirror" ]; then
    printf '%s: no mirror of %s in this machine'\''s package sources (/etc/apt), so %s\n' \
      "$1" "$(apt_codename)" "$2" >&2
    return 1
  fi
  echo "$mirror"
}
