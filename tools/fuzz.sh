#!/usr/bin/env bash
# Builds every tests/fuzz/*_fuzz.cpp as a libFuzzer target (clang, with
# AddressSanitizer and UBSan) through CMake (tests/fuzz/CMakeLists.txt, which also
# says what each links) and runs each for a while, then prints per target how many
# inputs ran and how many crashes were found (distinct crashing inputs; one fault
# often shows as several). Exits 1 when any crash was found. tools/run-tests.sh
# runs it for a few seconds a target.
#
# Usage: tools/fuzz.sh [seconds-per-target]        (default 60)
#
# Crashing inputs are kept in <build>/artifacts/<target>/; the corpus grows in
# <build>/corpus/<target>/, and files in tests/fuzz/seeds/<target>/, if there are
# any, start it.
#
# Environment: FUZZ_BUILD_DIR (default build/fuzz), FUZZ_CXX (default clang++),
# FUZZ_CC (default clang).
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

mkdir -p "$(dirname "$build")"
# The targets and what they link come from the CMake build (tests/fuzz/CMakeLists.txt),
# in a clang build folder of their own.
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_COMPILER="$cxx" \
      -DCMAKE_C_COMPILER="${FUZZ_CC:-clang}" -DLUMIVEIL_FUZZ=ON -DLUMIVEIL_SANITIZE=OFF \
      -DLUMIVEIL_TESTS=OFF -DLUMIVEIL_GIMP=OFF >"$build.configure.log" 2>&1 ||
  { cat "$build.configure.log" >&2; exit 2; }
mapfile -t targets < <(grep -v '^$' "$build/fuzz_targets.txt")
[ "${#targets[@]}" -gt 0 ] || { echo "fuzz: no tests/fuzz/*_fuzz.cpp targets" >&2; exit 2; }
echo "fuzz: building ${targets[*]}"
cmake --build "$build" -j"$(nproc)" --target "${targets[@]}" >"$build.build.log" 2>&1 ||
  { tail -n 40 "$build.build.log" >&2; exit 2; }
mkdir -p "$build/logs"

declare -A executions crashes
names=()
for name in "${targets[@]}"; do
  names+=("$name")

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
