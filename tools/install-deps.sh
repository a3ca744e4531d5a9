#!/usr/bin/env bash
# Installs what the build and the tests need on a Debian machine, as root.
# Only missing packages are installed, so a second run costs a few seconds.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)

need=()
want() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed' || need+=("$1"); }

if ! dpkg --print-foreign-architectures | grep -qx i386; then
  dpkg --add-architecture i386
  apt_updated=no
fi

for p in cmake make g++ g++-mingw-w64-i686 g++-mingw-w64-x86-64 binutils-mingw-w64-i686 \
         binutils-mingw-w64-x86-64 wine wine32:i386 wine64 xvfb xauth libstb-dev \
         libgtest-dev googletest libbenchmark-dev python3 clang gimp libgimp2.0-dev \
         xdotool x11-apps; do
  want "$p"
done

install_needed() {
  [ "${#need[@]}" -gt 0 ] || return 0
  echo "install-deps: installing ${need[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${need[@]}" >/dev/null
  need=()
}
install_needed

# Wine runs 32-bit Windows programs as 32-bit Linux ones. Where the kernel refuses
# those, qemu's user-mode emulator runs them, registered through binfmt_misc.
# qemu 10 starts a 32-bit Wine process in about 1 s where bookworm's qemu 7.2
# takes about 4 s, so on bookworm it comes from the release's backports.
install_emulator() {
  local codename mirror
  codename=$(. /etc/os-release && echo "${VERSION_CODENAME:-}")
  if [ "$codename" = bookworm ]; then
    apt-get update -qq  # the package lists name the release's mirror
    mirror=$(apt-get indextargets --format '$(REPO_URI) $(RELEASE)' 2>/dev/null |
             awk -v release="$codename" '$2 == release { print $1; exit }')
    if [ -n "$mirror" ]; then
      echo "deb $mirror $codename-backports main" >/etc/apt/sources.list.d/lumiveil-backports.list
      echo "install-deps: installing qemu-user from $codename-backports"
      if apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq \
           --no-install-recommends -t "$codename-backports" qemu-user >/dev/null; then
        return 0
      fi
    fi
  fi
  want qemu-user-static
  install_needed
}
if ! "$root/tools/ia32-status" >/dev/null && ! command -v qemu-i386 >/dev/null; then
  install_emulator
fi
"$root/tools/ia32-status" --register
echo "install-deps: all packages present"
