#!/usr/bin/env bash
# Builds, once, a GEGL for Windows x64 in which the operation's Windows DLL is
# tested (tools/gegl-windows), and whose headers and export lists the DLLs are
# built against: GLib, babl, json-glib, GEGL and what they need (pcre2, libffi,
# libpng, libjpeg-turbo; zlib as Debian packages it for MinGW), cross-built from
# Debian's source packages with Debian 13's MinGW-w64 in a Debian 13 build root
# that is removed afterwards:
#
#   <cache>/x86_64-w64-mingw32/bin      gegl.exe and the libraries' DLLs
#   <cache>/x86_64-w64-mingw32/lib      GEGL's operations and babl's extensions
#   <cache>/x86_64-w64-mingw32/include  the libraries' headers, as configured for Windows
#   <cache>/x86_64-w64-mingw32/def      the export lists of gegl, babl, gobject, glib, gmodule
#
# <cache> is $LUMIVEIL_GEGL_WINDOWS, else /var/cache/lumiveil/gegl-windows. Debian's
# upstream tarballs are used without Debian's patches (they concern Linux
# packaging); json-glib comes from the next suite that offers its tarball where
# Debian 13's is gone from the mirror. GLib and GEGL ask for a libintl: they get a
# stand-in of ours (tools/gegl-windows-stack/libintl.c) that returns every message
# as it is. Only what the DLLs and their tests use is built: no tests, examples,
# timing programs or documentation of the libraries, and one variant of GEGL's
# operations (tools/gegl-windows-stack/build-in-root.sh). A second run finds the
# stamp and does nothing, unless the recipe it records has changed since (the
# suites, the packages, the build steps). Root only (debootstrap,
# chroot); where it cannot be built the script says why and exits 1, and the tests
# that need it count as skipped.
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
. "$repo/tools/apt-packages.sh"
. "$repo/tools/lean-root.sh"
who=gegl-windows

cache="${LUMIVEIL_GEGL_WINDOWS:-/var/cache/lumiveil/gegl-windows}"
jobs="${LUMIVEIL_JOBS:-2}"
release=trixie
# Where a package's tarball has left Debian 13's pool, the suites after it are asked.
suites=(trixie sid)
packages=(pcre2 libffi glib2.0 babl json-glib libpng1.6 libjpeg-turbo gegl)
build_packages=(g++-mingw-w64-x86-64 mingw-w64-tools libz-mingw-w64-dev meson ninja-build
  pkgconf cmake make autoconf automake libtool libltdl-dev libglib2.0-dev-bin python3 xz-utils)
# What the stamp records: the suites, the packages and the build steps in
# tools/gegl-windows-stack (their comments aside), so that a change to any of
# them rebuilds the stack.
stack_steps=$(cat "$repo/tools/gegl-windows-stack"/* | sed '/^[[:space:]]*\(# \|#$\|\/\/\|$\)/d' | sha256sum | cut -c1-16)
recipe="$release (${suites[*]}) ${packages[*]}; root: ${build_packages[*]}; steps $stack_steps"
stamp="$cache/.lumiveil-ready"

if [ -f "$stamp" ] && [ "$(cat "$stamp")" = "$recipe" ]; then
  echo "$who: Windows GEGL present at $cache"
  exit 0
fi
if [ "$(id -u)" != 0 ]; then
  echo "$who: only root can build the Windows GEGL (debootstrap, chroot): run 'sudo $0' once" >&2
  exit 1
fi
apt_missing debootstrap python3
if [ "${#apt_need[@]}" -gt 0 ]; then
  apt_install "$who" "${apt_need[@]}" || exit 1
fi
mirror=$(release_mirror "$who" "no Windows GEGL is built") || exit 1

started=$(date +%s)
work="$cache.work"  # the build root; removed when all is done
root="$work/root"
log="$work/build.log"
rm -rf "$cache" "$work"
mkdir -p "$work"
echo "$who: building GLib, babl, json-glib and GEGL for Windows x64 into $cache (log: $log)"

fail() {
  echo "$who: $1 failed (last step: $(grep '^== ' "$log" | tail -n1 | cut -c4-)): $(tail -n2 "$log" | tr '\n' ' ')" >&2
  exit 1
}
# The build root's own commands, /proc mounted for them alone.
in_root() { "$repo/tools/gimp3-root-run" --root "$root" "$@"; }

make_root() {
  debootstrap --variant=minbase "$release" "$root" "$mirror" && lean_root "$root" &&
    in_root env DEBIAN_FRONTEND=noninteractive sh -c "apt-get update -qq &&
      apt-get install -y -qq --no-install-recommends ${build_packages[*]}"
}

fetch_sources() {
  local package tarballs
  mkdir -p "$root/src"
  for package in "${packages[@]}"; do
    tarballs=$(python3 "$repo/tools/debian_source.py" "$mirror" "$work/sources" "$package" "${suites[@]}") ||
      return 1
    # shellcheck disable=SC2086  # one path a line, none with spaces
    cp $tarballs "$root/src/" || return 1
    echo "$package: ${tarballs//$'\n'/ }"
  done
}

make_root >>"$log" 2>&1 || fail "making the $release build root"
fetch_sources >>"$log" 2>&1 || fail "fetching the source packages"
cp -r "$repo/tools/gegl-windows-stack" "$root/stack"
in_root nice -n 10 /stack/build-in-root.sh /opt/gegl-windows "$jobs" >>"$log" 2>&1 ||
  fail "building the stack (see the last '==' step in the log)"

mkdir -p "$cache"
mv "$root/opt/gegl-windows" "$cache/x86_64-w64-mingw32"
echo "$recipe" >"$stamp"
mv "$log" "$cache/build.log"
rm -rf "$work"
echo "$who: Windows GEGL built in $(( $(date +%s) - started )) s with $jobs jobs"
