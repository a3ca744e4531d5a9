#!/usr/bin/env bash
# Installs the GEGL operation module where GEGL finds it, for the gegl command,
# GIMP 3 (Filters > Light and Shadow > Lumiveil...) and GIMP 2.10 (Tools > GEGL
# Operation):
#
#   tools/install-gegl-op.sh [--module PATH] [--into FOLDER]
#
# PATH is the built module (default: the first of build/gegl/lumiveil-gegl.so and
# build/native/lumiveil-gegl.so that exists). Without --into it goes to the user's
# GEGL folder, $XDG_DATA_HOME/gegl-0.4/plug-ins (default ~/.local/share/...), and,
# where a Flatpak GIMP has its data folder, to that GIMP's own GEGL folder too.
# GEGL reads the folders when a program starts, so a running GIMP needs a restart.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
module=""
into=()
module_name=lumiveil-gegl.so

die() { echo "tools/install-gegl-op.sh: $*" >&2; exit 1; }

while [ $# -gt 0 ]; do
  case "$1" in
    --module) [ $# -ge 2 ] || die "--module needs a path"; module="$2"; shift 2 ;;
    --into) [ $# -ge 2 ] || die "--into needs a folder"; into+=("$2"); shift 2 ;;
    *) die "unknown argument $1 (use --module PATH, --into FOLDER)" ;;
  esac
done

if [ -z "$module" ]; then
  for candidate in "$root/build/gegl/$module_name" "$root/build/native/$module_name"; do
    if [ -f "$candidate" ]; then module="$candidate"; break; fi
  done
  [ -n "$module" ] || die "no built module found; build the lumiveil-gegl target first"
fi
[ -f "$module" ] || die "$module is not a built module"

if [ "${#into[@]}" = 0 ]; then
  into=("${XDG_DATA_HOME:-$HOME/.local/share}/gegl-0.4/plug-ins")
  flatpak_data="$HOME/.var/app/org.gimp.GIMP/data"
  [ -d "$flatpak_data" ] && into+=("$flatpak_data/gegl-0.4/plug-ins")
fi

for folder in "${into[@]}"; do
  mkdir -p "$folder"
  install -m 644 "$module" "$folder/$module_name"
  echo "installed $folder/$module_name"
done
