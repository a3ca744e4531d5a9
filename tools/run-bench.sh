#!/usr/bin/env bash
# Builds and runs the engine benchmark: optimised and plain kernel, slow reference,
# cv::boxFilter for comparison, preview renders; then times the engine as the
# 32-bit and 64-bit Windows modules build it, under Wine where it can run. Installs what is missing first
# (as root, through apt-get): Google Benchmark and, for the comparison only, OpenCV.
#
#   tools/run-bench.sh [benchmark flags...]      e.g. --benchmark_filter=Effect
#
# Build folder: build/bench (Release, no sanitizers, no tests). Environment:
#   LUMIVEIL_BENCH_BUILD   another build folder
#   LUMIVEIL_BENCH_NO_INSTALL=1   never call apt-get (the OpenCV rows are then left
#                                 out if OpenCV is absent)
#   LUMIVEIL_BENCH_WINDOWS=0      skip the timing of the mingw-w64 builds under Wine
set -euo pipefail

source_dir="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build_dir="${LUMIVEIL_BENCH_BUILD:-$source_dir/build/bench}"

# OpenCV is only for the comparison rows: without it they are left out.
. "$source_dir/tools/apt-packages.sh"
apt_missing cmake make g++ libbenchmark-dev libopencv-imgproc-dev
if [ "${#apt_need[@]}" -gt 0 ]; then
  if [ "${LUMIVEIL_BENCH_NO_INSTALL:-0}" = 1 ]; then
    echo "run-bench: not installing ${apt_need[*]} (LUMIVEIL_BENCH_NO_INSTALL=1)" >&2
  else
    apt_install run-bench "${apt_need[@]}" || echo "run-bench: going on without them" >&2
  fi
fi

cmake -S "$source_dir" -B "$build_dir" -DCMAKE_BUILD_TYPE=Release -DLUMIVEIL_SANITIZE=OFF \
      -DLUMIVEIL_BENCH=ON -DLUMIVEIL_TESTS=OFF >/dev/null
cmake --build "$build_dir" -j2 --target engine_bench
echo "run-bench: $(nproc) cores, load average $(cut -d' ' -f1-3 /proc/loadavg)"
"$build_dir/engine_bench" "$@"

# The same engine as the Windows modules build it, timed under Wine for each width that
# this machine can run: engine_speed.exe from the modules' own build folders
# (cmake/windows_bench.cmake), configured as tools/build.sh does if they are missing.
# Skipped with LUMIVEIL_BENCH_WINDOWS=0.
[ "${LUMIVEIL_BENCH_WINDOWS:-1}" = 1 ] || exit 0
export WINEPREFIX="${WINEPREFIX:-$build_dir/wine}" WINEDEBUG=-all
for width in win32 win64; do
  if [ "$width" = win32 ]; then
    target=i686 loader=/usr/lib/wine/wine
  else
    target=x86_64 loader=/usr/lib/wine/wine64
  fi
  tree="$source_dir/build/$width"
  if ! command -v "$target-w64-mingw32-g++" >/dev/null || [ ! -x "$loader" ]; then
    echo "run-bench: no $target-w64-mingw32-g++ or Wine for $width, skipping its timing"
    continue
  fi
  cmake -S "$source_dir" -B "$tree" -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_TOOLCHAIN_FILE="$source_dir/cmake/toolchain-$target-w64-mingw32.cmake" >/dev/null
  cmake --build "$tree" -j2 --target engine_speed
  echo
  if ! "$loader" "$tree/engine_speed.exe"; then
    echo "run-bench: Wine cannot run the $width build here (a kernel without 32-bit support" \
         "cannot start 32-bit Wine), so it is not timed"
  fi
done
