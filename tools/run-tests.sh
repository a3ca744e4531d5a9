#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test: the native unit
# tests (sanitizers on), the module's Windows unit tests and the end-to-end tests
# of the three modules under Wine; then a short fuzzing pass over every fuzz target, so
# that none of them can stop building unseen. Ends by listing every skipped test
# with its reason; the exit status is ctest's, or else the fuzzing pass's.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
# Seconds each fuzz target runs here; tools/fuzz.sh alone runs longer.
fuzz_seconds=${LUMIVEIL_FUZZ_SECONDS:-5}

"$root/tools/install-deps.sh"
"$root/tools/build.sh"
# Two tests per core: the end-to-end tests spend much of their time waiting on Wine
# and the display (the emulated ARM64 ones most); those that share a Wine prefix
# take turns (tests/e2e/e2e_tests.cmake), and each has a display of its own.
# Its output is kept, to end the run with every skipped test and its reason.
ctest_output=$root/build/native/run-tests.ctest.txt
status=0
(cd "$root/build/native" && ctest --output-on-failure -j"$(($(nproc) * 2))" "$@") 2>&1 |
  tee "$ctest_output" || status=${PIPESTATUS[0]}
[ "$status" != 0 ] || "$root/tools/fuzz.sh" "$fuzz_seconds" || status=$?
python3 "$root/tools/list_skips.py" "$ctest_output" \
  "$root/build/native/Testing/Temporary/LastTest.log" || true
exit "$status"
