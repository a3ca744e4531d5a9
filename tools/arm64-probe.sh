#!/usr/bin/env bash
# Shows that ARM64 Windows programs run on this machine, and how long one takes:
# builds the smallest ARM64 console program (tests/arm64/console_line.c, no C
# runtime: clang, lld and llvm-dlltool alone) and runs it under emulated arm64
# Wine (tools/arm64-wine). Says in one line what it saw; status 0 when the
# program printed its line, 1 when it did not, 77 when it cannot run here.
set -u
repo=$(cd "$(dirname "$0")/.." && pwd)
out="${LUMIVEIL_BUILD:-$repo/build}/arm64-probe"
readonly skipped=77 target=aarch64-w64-windows-gnu expected="lumiveil: ARM64 Windows program running"

say() { echo "arm64-probe: $*"; }
tool() {  # the versioned LLVM tool where the unversioned one is missing
  command -v "$1" || command -v "$1-14" || { say "skipped: $1 is missing (clang, lld and llvm build ARM64 programs)"; exit "$skipped"; }
}
status=$("$repo/tools/arm64-status") || { say "skipped: ${status#unavailable: }"; exit "$skipped"; }
clang=$(tool clang) dlltool=$(tool llvm-dlltool) lld_link=$(tool lld-link) || exit "$skipped"

mkdir -p "$out"
"$dlltool" -m arm64 -d "$repo/tests/arm64/kernel32_console.def" -l "$out/libkernel32.a" &&
  "$clang" --target="$target" -O2 -ffreestanding -fno-stack-protector -Wall -Wextra \
    -c "$repo/tests/arm64/console_line.c" -o "$out/console_line.o" &&
  "$lld_link" /entry:consoleLineMain /subsystem:console /nodefaultlib /brepro \
    /out:"$out/console_line.exe" "$out/console_line.o" "$out/libkernel32.a" ||
  { say "the ARM64 console program could not be built"; exit 1; }

started=$(date +%s%N)
line=$("$repo/tools/arm64-wine" "$out/console_line.exe" 2>"$out/wine.log" | tr -d '\r')
code=$?
elapsed_ms=$(( ($(date +%s%N) - started) / 1000000 ))
if [ "$code" = 0 ] && [ "$line" = "$expected" ]; then
  say "an ARM64 Windows program ran in $((elapsed_ms / 1000)).$(printf '%03d' $((elapsed_ms % 1000))) s, wine server start included (${status})"
  exit 0
fi
say "the ARM64 console program failed (status $code, printed '${line}'); Wine said: $(tail -n 3 "$out/wine.log" | tr '\n' ' ')"
exit 1
