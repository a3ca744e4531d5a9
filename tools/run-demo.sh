#!/usr/bin/env bash
# The main job: installs what is missing, builds the module and the reference host,
# and filters a sample photograph through plughost, as a host application would.
# It installs and builds only what it shows (one width: the module and plughost);
# tools/run-tests.sh installs and builds the rest.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
demo="$root/build/demo"
started=$SECONDS

# The 32-bit module is the one specified; machines that cannot run 32-bit programs
# (the kernel refuses them and no emulator is registered) run the 64-bit module of
# the same source instead.
arch=win32
"$root/tools/ia32-status" --possible || arch=win64

"$root/tools/install-deps.sh" --demo "$arch"
build_started=$SECONDS
"$root/tools/build.sh" --demo "$arch"
echo "run-demo: built the $arch module and plughost in $((SECONDS - build_started)) s"
mkdir -p "$demo"

# A photograph from a Debian package that ships one; the built-in pattern otherwise.
photo="$demo/coffee.png"
if [ ! -s "$photo" ]; then
  (
    cd "$demo"
    if apt-get download -qq python3-skimage >/dev/null 2>&1; then
      dpkg-deb --fsys-tarfile python3-skimage_*.deb |
        tar -xO ./usr/lib/python3/dist-packages/skimage/data/coffee.png >"$photo" 2>/dev/null || rm -f "$photo"
      rm -f python3-skimage_*.deb
    fi
  ) || true
fi
input="$photo"
[ -s "$photo" ] || input="pattern:1200x800"

# A run from the host's menu: the dialog opens, the user sets the values and
# presses OK, and the filter runs over the whole picture.
result="$demo/result.png"
dialog="$demo/dialog.png"
"$root/tools/plughost" run "$root/build/$arch/LumiveilFilter.8bf" --in "$input" --out "$result" \
  --windows-dir "$demo/windows" \
  --do "type 201 35; type 202 85; type 203 20; wait 300; shot $dialog; click 1" "$@"
echo "run-demo: filtered $input with the $arch module (Radiation 35, Amount 85, Mist 20)"
echo "run-demo: the dialog as the user saw it is $dialog"
echo "run-demo: the result is $result"
echo "run-demo: done in $((SECONDS - started)) s"
