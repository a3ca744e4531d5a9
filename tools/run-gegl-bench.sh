#!/usr/bin/env bash
# Builds and runs the GEGL operation's benchmark: a 4000 x 3000 picture through the
# operation, gegl:box-blur (radius 96) and gegl:softglow on GEGL's threads, and the
# engine's kernel alone on one thread, all in one process.
#
#   tools/run-gegl-bench.sh           GEGL_THREADS=N sets GEGL's thread count
#
# Build folder: build/bench (Release, no sanitizers, no tests), shared with
# tools/run-bench.sh; the operation is installed into build/bench/gegl-modules.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build_dir="${LUMIVEIL_BENCH_BUILD:-$root/build/bench}"

cmake -S "$root" -B "$build_dir" -DCMAKE_BUILD_TYPE=Release -DLUMIVEIL_SANITIZE=OFF \
      -DLUMIVEIL_BENCH=ON -DLUMIVEIL_TESTS=OFF >/dev/null
cmake --build "$build_dir" -j"$(nproc)" --target gegl_bench
[ -x "$build_dir/gegl_bench" ] || { echo "run-gegl-bench: no GEGL here (install libgegl-dev)" >&2; exit 1; }
"$root/tools/install-gegl-op.sh" --module "$build_dir/lumiveil-gegl.so" \
  --into "$build_dir/gegl-modules" >/dev/null
echo "run-gegl-bench: $(nproc) cores, load average $(cut -d' ' -f1-3 /proc/loadavg)"
"$build_dir/gegl_bench" "$build_dir/gegl-modules"
