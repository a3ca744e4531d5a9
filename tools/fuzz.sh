#!/usr/bin/env bash
# Builds every tests/fuzz/*_fuzz.cpp as a libFuzzer target (clang, with
# AddressSanitizer and UBSan) and runs each for a while, then prints per target
# how many inputs ran and how many crashes were found (distinct crashing inputs;
# one fault often shows as several). Exits 1 when any crash was found. Not part
# of the test suite.
#
# Usage: tools/fuzz.sh [seconds-per-target]        (default 60)
#
# Every target is linked with the portable sources listed in cmake/sources.cmake
# (LUMIVEIL_PORTABLE_SOURCES). A target that needs more names them in a line
#   // fuzz-sources: plughost/pipl_reader.cpp other/file.cpp
# (paths relative to the repository). Crashing inputs are kept in
# <build>/artifacts/<target>/; the corpus grows in <build>/corpus/<target>/, and
# files in tests/fuzz/seeds/<target>/, if there are any, start it.
#
# Environment: FUZZ_BUILD_DIR (default build/fuzz), FUZZ_CXX (default clang++).
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-60}
build=${FUZZ_BUILD_DIR:-$root/build/fuzz}
cxx=${FUZZ_CXX:-clang++}

if ! [[ "$seconds" =~ ^[1-9][0-9]*$ ]]; then
  echo "usage: tools/fuzz.sh [seconds-per-target]" >&2
  exit 2
fi
command -v "$cxx" >/dev/null || { echo "fuzz: $cxx not found (clang with libFuzzer is needed)" >&2; exit 2; }

sanitizers=address,undefined
flags=(-std=c++17 -g -O1 -fno-omit-frame-pointer -fno-sanitize-recover=all -Wall -Wextra -I"$root")

# The portable sources, read from the list the CMake build uses.
mapfile -t portable < <(sed -n '/set(LUMIVEIL_PORTABLE_SOURCES/,/)/p' "$root/cmake/sources.cmake" |
                        grep -v 'set(' | tr -d ')' | tr -s ' \t' '\n' | grep '\.cpp$')
[ "${#portable[@]}" -gt 0 ] || { echo "fuzz: no portable sources found in cmake/sources.cmake" >&2; exit 2; }

mkdir -p "$build/obj" "$build/logs"

# One object per source; a few small files, so they are simply rebuilt every time.
object_for() {
  local source=$1
  local object="$build/obj/${source//\//_}.o"
  "$cxx" "${flags[@]}" -fsanitize=fuzzer-no-link,$sanitizers -c "$root/$source" -o "$object"
  echo "$object"
}

portable_objects=()
for source in "${portable[@]}"; do portable_objects+=("$(object_for "$source")"); done

shopt -s nullglob
targets=("$root"/tests/fuzz/*_fuzz.cpp)
[ "${#targets[@]}" -gt 0 ] || { echo "fuzz: no tests/fuzz/*_fuzz.cpp targets" >&2; exit 2; }

declare -A executions crashes
names=()
for target_source in "${targets[@]}"; do
  name=$(basename "$target_source" .cpp)
  names+=("$name")
  extra_objects=()
  for extra in $(sed -n 's|^[[:space:]]*//[[:space:]]*fuzz-sources:||p' "$target_source"); do
    extra_objects+=("$(object_for "$extra")")
  done
  echo "fuzz: building $name"
  "$cxx" "${flags[@]}" -fsanitize=fuzzer,$sanitizers "$target_source" "${portable_objects[@]}" \
         ${extra_objects[@]+"${extra_objects[@]}"} -o "$build/$name"

  corpus="$build/corpus/$name"
  artifacts="$build/artifacts/$name"
  mkdir -p "$corpus" "$artifacts"
  seed_dirs=()
  [ -d "$root/tests/fuzz/seeds/$name" ] && seed_dirs+=("$root/tests/fuzz/seeds/$name")

  # libFuzzer stops at a crash; run again with the time that is left, so one
  # crash does not end the search. The crash file names are input hashes, so a
  # crash found twice counts once.
  runs=0
  found_before=$(ls "$artifacts" | wc -l)
  deadline=$((SECONDS + seconds))
  round=0
  while [ $SECONDS -lt $deadline ]; do
    round=$((round + 1))
    log="$build/logs/$name.$round.log"
    left=$((deadline - SECONDS))
    echo "fuzz: running $name for ${left}s"
    set +e
    "$build/$name" -max_total_time="$left" -print_final_stats=1 -use_value_profile=1 \
                   -artifact_prefix="$artifacts/" "$corpus" ${seed_dirs[@]+"${seed_dirs[@]}"} >"$log" 2>&1
    status=$?
    set -e
    ran=$(sed -n 's/^stat::number_of_executed_units:[[:space:]]*//p' "$log" | tail -n 1)
    runs=$((runs + ${ran:-0}))
    if [ "$status" -eq 0 ]; then break; fi
    if ! grep -q -E 'Test unit written to|ERROR: libFuzzer|ERROR: AddressSanitizer|runtime error' "$log"; then
      echo "fuzz: $name stopped without a crash report (status $status); see $log" >&2
      break
    fi
    echo "fuzz: $name crashed; see $log"
  done
  executions[$name]=$runs
  crashes[$name]=$(( $(ls "$artifacts" | wc -l) - found_before ))
done

echo
printf '%-28s %14s %8s\n' target executions crashes
total_crashes=0
for name in "${names[@]}"; do
  printf '%-28s %14s %8s\n' "$name" "${executions[$name]}" "${crashes[$name]}"
  total_crashes=$((total_crashes + crashes[$name]))
done
if [ "$total_crashes" -gt 0 ]; then
  echo "crashing inputs: $build/artifacts/<target>/ (turn each into a regression unit test)"
  exit 1
fi
