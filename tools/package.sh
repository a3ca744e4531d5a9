#!/usr/bin/env bash
# Makes the release: builds the three filter modules, the Mac plug-in and the GEGL
# operation for Linux and for x64 and ARM64 Windows (or brings their builds up to
# date), checks the modules' shipped bytes as a host, Windows and the Mac read them,
# and writes build/dist/Lumiveil-<version>.zip, the Windows setup,
# Lumiveil-<version>-setup.exe, and the Mac archive, Lumiveil-<version>-macOS.zip,
# with SHA256SUMS beside them.
#
#   tools/package.sh                       the archive and setup of this working tree
#   tools/package.sh --check-reproducible  builds and packages the current commit
#                                          twice, in two fresh folders, and compares
#                                          the modules, archives and setups byte for byte
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)

# The GEGL operation as shipped: Release, no sanitizers, no tests, in build/gegl.
build_gegl_operation() {
  local log="$root/build/gegl.configure.log"
  cmake -S "$root" -B "$root/build/gegl" -DCMAKE_BUILD_TYPE=Release -DLUMIVEIL_SANITIZE=OFF \
    -DLUMIVEIL_TESTS=OFF -DLUMIVEIL_GIMP=OFF >"$log" 2>&1 || { cat "$log"; exit 1; }
  cmake --build "$root/build/gegl" -j"$(nproc)" --target lumiveil-gegl
  [ -f "$root/build/gegl/lumiveil-gegl.so" ] ||
    { echo "package: no GEGL operation built (install libgegl-dev); nothing packaged" >&2; exit 1; }
}

# The GEGL operation's Windows DLLs, in the filter modules' build folders; they are
# built against the Windows GEGL that the install step makes.
build_gegl_windows_dlls() {
  local width
  [ -f "${LUMIVEIL_GEGL_WINDOWS:-/var/cache/lumiveil/gegl-windows}/.lumiveil-ready" ] ||
    { echo "package: no Windows GEGL to build lumiveil-gegl.dll against (tools/build-gegl-windows.sh, once); nothing packaged" >&2; exit 1; }
  for width in win64 win-arm64; do
    cmake --build "$root/build/$width" -j"$(nproc)" --target lumiveil-gegl
  done
}

package() {
  local dist="$root/build/dist" arch log archive
  "$root/tools/build.sh" --filter-only
  build_gegl_operation
  local arches=(win32 win64 win-arm64) version setup
  version=$(head -n 1 "$root/VERSION")
  if [ ! -f "$root/build/win-arm64/LumiveilFilter.8bf" ]; then
    echo "package: no ARM64 module: its toolchain is not built (tools/build-arm64-toolchain.sh, once);" \
      "writing the setup without it, and no archive (it needs all three)" >&2
    arches=(win32 win64)
  else
    build_gegl_windows_dlls
  fi
  for arch in "${arches[@]}"; do
    log="$root/build/$arch.package-checks.log"
    LUMIVEIL_ARCH=$arch LUMIVEIL_BUILD="$root/build" LUMIVEIL_SOURCE="$root" \
      python3 "$root/tests/e2e/test_resources.py" >"$log" 2>&1 ||
      { cat "$log"; echo "package: the $arch module fails its checks; nothing packaged" >&2; exit 1; }
  done
  log="$root/build/mac.package-checks.log"
  LUMIVEIL_BUILD="$root/build" LUMIVEIL_SOURCE="$root" \
    python3 "$root/tests/mac/test_mac_bundle.py" >"$log" 2>&1 ||
    { cat "$log"; echo "package: the Mac bundle fails its checks; nothing packaged" >&2; exit 1; }
  rm -rf "$dist"
  archive=$(python3 "$root/tools/make_package.py" --mac "$root" "$root/build" "$dist")
  echo "package: wrote $archive ($(stat -c %s "$archive") bytes)"
  if [ ${#arches[@]} -eq 3 ]; then
    archive=$(python3 "$root/tools/make_package.py" "$root" "$root/build" "$dist")
    echo "package: wrote $archive ($(stat -c %s "$archive") bytes)"
  fi
  setup=$(python3 "$root/tools/make_setup.py" "$root" "$root/build" "$dist")
  echo "package: wrote $setup ($(stat -c %s "$setup") bytes)"
  # One sum a line, in name order, as sha256sum -c reads them.
  (cd "$dist" && find . -maxdepth 1 -type f \( -name "Lumiveil-$version.zip" -o -name "${setup##*/}" \
    -o -name "Lumiveil-$version-macOS.zip" \) \
    -printf '%f\n' | LC_ALL=C sort | xargs -d '\n' sha256sum -- >SHA256SUMS.new && mv SHA256SUMS.new SHA256SUMS)
  echo "package: wrote $dist/SHA256SUMS"
  echo "package: sha256 $(cat "$dist/SHA256SUMS")"
}

check_reproducible() {
  local commit copy file differing=()
  commit=$(git -C "$root" rev-parse HEAD)
  if [ -n "$(git -C "$root" status --porcelain --untracked-files=no)" ]; then
    echo "package: the check builds commit ${commit:0:12}; changes not committed are left out"
  fi
  # Global, for the trap that removes it once the script ends.
  work=$(mktemp -d "${TMPDIR:-/tmp}/lumiveil-reproducible.XXXXXX")
  trap 'rm -rf "$work"' EXIT
  # Folders of different names and depths, so that a build path kept in a file shows.
  local copies=("$work/one/lumiveil" "$work/another/deeper/folder/lumiveil")
  for copy in "${copies[@]}"; do
    mkdir -p "$copy"
    git -C "$root" archive "$commit" | tar -x -C "$copy"
    echo "package: building commit ${commit:0:12} in $copy"
    "$copy/tools/package.sh" >"$copy.log" 2>&1 ||
      { tail -n 40 "$copy.log"; echo "package: the build in $copy failed" >&2; exit 1; }
  done
  # What two builds of one commit must give alike, relative to their build folders.
  local version files
  version=$(head -n 1 "${copies[0]}/VERSION")
  files=(win32/LumiveilFilter.8bf win64/LumiveilFilter.8bf win-arm64/LumiveilFilter.8bf
    win32/LumiveilFilter.8bf.debug win64/LumiveilFilter.8bf.debug
    win-arm64/LumiveilFilter.8bf.debug gegl/lumiveil-gegl.so win64/lumiveil-gegl.dll
    win-arm64/lumiveil-gegl.dll "dist/Lumiveil-$version.zip" "dist/Lumiveil-$version-setup.exe"
    mac-x86_64/LumiveilFilter mac-arm64/LumiveilFilter mac/LumiveilFilter.plugin/Contents/Info.plist
    mac/LumiveilFilter.plugin/Contents/MacOS/LumiveilFilter
    mac/LumiveilFilter.plugin/Contents/Resources/LumiveilFilter.rsrc
    "dist/Lumiveil-$version-macOS.zip" dist/SHA256SUMS)
  for file in "${files[@]}"; do
    cmp -s "${copies[0]}/build/$file" "${copies[1]}/build/$file" || differing+=("$file")
  done
  if [ ${#differing[@]} -gt 0 ]; then
    echo "package: NOT reproducible: the two builds differ in ${differing[*]}" >&2
    exit 1
  fi
  echo "package: reproducible: two builds of commit ${commit:0:12} in two folders gave" \
    "byte-identical ${files[*]} (in ${SECONDS} s)"
  echo "package: sha256 $(cat "${copies[0]}/build/dist/SHA256SUMS")"
}

case "${1:-}" in
  "") package ;;
  --check-reproducible) check_reproducible ;;
  *)
    sed -n '2,9s/^# \{0,1\}//p' "$0" >&2
    exit 2
    ;;
esac
