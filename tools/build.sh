#!/usr/bin/env bash
# Builds both modules and reference hosts (build/win32, build/win64), the ARM64
# module where its toolchain is present (build/win-arm64), the Mac plug-in's two
# slices (build/mac-x86_64, build/mac-arm64) and its bundle
# (build/mac/LumiveilFilter.plugin) and, unless
# --modules-only is given, the native unit tests under the sanitizers (build/native).
# --filter-only builds the filter modules alone, as tools/package.sh ships them.
# --demo WIDTH builds one width's (win32 or win64) filter module and reference host
# alone, as tools/run-demo.sh uses them.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
jobs=$(nproc)
targets=()
case "${1:-}" in
  --filter-only) targets=(--target LumiveilFilter) ;;
  --demo) targets=(--target LumiveilFilter plughost) ;;
esac

build() {
  local dir=$1
  shift
  cmake -S "$root" -B "$root/build/$dir" "$@" >"$root/build/$dir.configure.log" 2>&1 ||
    { cat "$root/build/$dir.configure.log"; exit 1; }
  cmake --build "$root/build/$dir" -j"$jobs" "${targets[@]}"
}

# One width of the x86 modules: win32 or win64.
build_width() {
  local processor
  case "$1" in
    win32) processor=i686 ;;
    win64) processor=x86_64 ;;
    *) echo "build: no width $1 (win32 or win64)" >&2; exit 1 ;;
  esac
  build "$1" -DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-$processor-w64-mingw32.cmake"
}

mkdir -p "$root/build"
if [ "${1:-}" = --demo ]; then
  build_width "${2:-}"
  exit 0
fi
build_width win32
build_width win64
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
