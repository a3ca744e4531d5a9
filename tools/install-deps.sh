#!/usr/bin/env bash
# Installs what the build and the tests need on a Debian machine, as root.
# Only missing packages are installed, so a second run costs a few seconds.
set -euo pipefail

need=()
want() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed' || need+=("$1"); }

if ! dpkg --print-foreign-architectures | grep -qx i386; then
  dpkg --add-architecture i386
  apt_updated=no
fi

for p in cmake make g++ g++-mingw-w64-i686 g++-mingw-w64-x86-64 binutils-mingw-w64-i686 \
         binutils-mingw-w64-x86-64 wine wine32:i386 wine64 xvfb xauth libstb-dev \
         libgtest-dev googletest libbenchmark-dev python3 clang; do
  want "$p"
done

if [ "${#need[@]}" -gt 0 ]; then
  echo "install-deps: installing ${need[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${need[@]}" >/dev/null
fi
echo "install-deps: all packages present"
