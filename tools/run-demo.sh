#!/usr/bin/env bash
# The main job: installs what is missing, builds the module and the reference host,
# and filters a sample photograph through plughost, as a host application would.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
demo="$root/build/demo"

"$root/tools/install-deps.sh"
"$root/tools/build.sh" --modules-only
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

result="$demo/result.png"
"$root/tools/plughost" run "$root/build/win32/LumiveilFilter.8bf" --in "$input" --out "$result" "$@"
echo "run-demo: filtered $input"
echo "run-demo: the result is $result"
