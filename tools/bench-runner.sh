#!/usr/bin/env bash
# Times plughost as a user runs it (after tools/build.sh): one 4000 x 3000 picture
# filtered with stored settings, and one picture against twenty in one batch, both
# for the built-in picture and for a PNG file.
# Prints the wall times and plughost's own split of Start (its callbacks against
# the module's work); the module's width comes from --arch (default win64).
#
#   tools/bench-runner.sh [--arch win32|win64]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
arch=win64
[ "${1:-}" = --arch ] && arch=${2:?--arch needs win32 or win64}
module="$root/build/$arch/LumiveilFilter.8bf"
[ -f "$module" ] || { echo "bench-runner: no $module; run tools/build.sh first" >&2; exit 2; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
host() { "$root/tools/plughost" --arch "$arch" "$@"; }

milliseconds() {  # the wall time of a command; its output is dropped
  local start
  start=$(date +%s%N)
  "$@" >/dev/null 2>&1 || true
  echo $((($(date +%s%N) - start) / 1000000))
}

# Stored settings 50/50/0, as after a confirmed dialog; a warm Wine server.
host run "$module" --in pattern:64x64 --params "$work/p.prm" --do "click 1" >/dev/null
host pattern 4000x3000 --out "$work/picture.png" >/dev/null

echo "bench-runner: $arch module, $(nproc) cores, load average $(cut -d' ' -f1-3 /proc/loadavg)"
for attempt in 1 2 3; do
  line=$(host run "$module" --in pattern:4000x3000 --repeat --params "$work/p.prm" --time | grep '^time:')
  wall=$(milliseconds host run "$module" --in pattern:4000x3000 --repeat --params "$work/p.prm")
  echo "pattern:4000x3000, repeat with stored settings: wall ${wall} ms; ${line#time: }"
done

# Twenty pictures in one run against one: the built-in picture, then a PNG file
# (read and decoded for every picture).
for input in pattern:4000x3000 "$work/picture.png"; do
  batch=()
  for _ in $(seq 1 20); do batch+=(--in "$input"); done
  one=$(milliseconds host run "$module" --in "$input" --repeat --params "$work/p.prm")
  twenty=$(milliseconds host run "$module" "${batch[@]}" --repeat --params "$work/p.prm")
  echo "${input##*/}: one picture ${one} ms, twenty in one batch ${twenty} ms" \
       "($((twenty * 10 / one / 10)).$((twenty * 10 / one % 10)) times one)"
done
