#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test: the native unit
# tests (sanitizers on), the module's Windows unit tests and the end-to-end tests
# of both modules under Wine.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)

"$root/tools/install-deps.sh"
"$root/tools/build.sh"
cd "$root/build/native"
ctest --output-on-failure -j"$(nproc)" "$@"
