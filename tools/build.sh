#!/usr/bin/env bash
# Builds both modules and reference hosts (build/win32, build/win64), the ARM64
# module where its toolchain is present (build/win-arm64), the Mac plug-in's two
# slices (build/mac-x86_64, build/mac-arm64) and its bundle
# (build/mac/LumiveilFilter.plugin) and, unless
# --modules-only is given, the native unit tests under the sanitizers (build/native).
# --filter-only builds the filter modules alone, as tools/package.sh ships them.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
jobs=$(nproc)
targets=()
[ "${1:-}" = --filter-only ] && targets=(--target LumiveilFilter)

build() {
  local dir=$1
  shift
  cmake -S "$root" -B "$root/build/$dir" "$@" >"$root/build/$dir.configure.log" 2>&1 ||
    { cat "$root/build/$dir.configure.log"; exit 1; }
  cmake --build "$root/build/$dir" -j"$jobs" "${targets[@]}"
}

mkdir -p "$root/build"
build win32 -DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-i686-w64-mingw32.cmake"
build win64 -DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-x86_64-w64-mingw32.cmake"
build mac-x86_64 -DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-x86_64-apple-macos.cmake"
build mac-arm64 -DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-arm64-apple-macos.cmake"
python3 "$root/tools/make_mac_bundle.py" "$root" "$root/build" >/dev/null
case "${1:-}" in
  --modules-only | --filter-only) ;;
  *) build native -DCMAKE_BUILD_TYPE=Debug -DLUMIVEIL_SANITIZE=ON -DLUMIVEIL_BUILD_ROOT="$root/build" ;;
esac
# The ARM64 module, its reference host and tests, where its toolchain has been
# built (tools/build-arm64-toolchain.sh).
arm64_toolchain="${LUMIVEIL_ARM64_TOOLCHAIN:-/var/cache/lumiveil/arm64-toolchain}"
if [ -f "$arm64_toolchain/.lumiveil-ready" ]; then
  build win-arm64 -DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-aarch64-w64-mingw32.cmake"
else
  echo "build: no ARM64 module: its toolchain is not built (tools/build-arm64-toolchain.sh, once)"
fi
