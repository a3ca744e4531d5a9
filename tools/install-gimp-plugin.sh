#!/usr/bin/env bash
# Installs the GIMP plug-in into a GIMP 2.10 plug-ins folder:
#
#   tools/install-gimp-plugin.sh [--plugin PATH] [--into FOLDER]
#
# PATH is the built plug-in (default: the first of build/gimp/lumiveil and
# build/native/lumiveil that exists). FOLDER is the plug-ins folder (default:
# $GIMP2_DIRECTORY/plug-ins when GIMP2_DIRECTORY is set, else the user's
# ~/.config/GIMP/2.10/plug-ins). GIMP looks for plug-ins/<name>/<name>, so the
# program goes to FOLDER/lumiveil/lumiveil. GIMP picks it up at its next start.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
plugin=""
into=""

die() { echo "tools/install-gimp-plugin.sh: $*" >&2; exit 1; }

while [ $# -gt 0 ]; do
  case "$1" in
    --plugin) [ $# -ge 2 ] || die "--plugin needs a path"; plugin="$2"; shift 2 ;;
    --into) [ $# -ge 2 ] || die "--into needs a folder"; into="$2"; shift 2 ;;
    *) die "unknown argument $1 (use --plugin PATH, --into FOLDER)" ;;
  esac
done

if [ -z "$plugin" ]; then
  for candidate in "$root/build/gimp/lumiveil" "$root/build/native/lumiveil"; do
    if [ -x "$candidate" ]; then plugin="$candidate"; break; fi
  done
  [ -n "$plugin" ] || die "no built plug-in found; build the lumiveil-gimp target first"
fi
[ -x "$plugin" ] || die "$plugin is not a built plug-in"

if [ -z "$into" ]; then
  if [ -n "${GIMP2_DIRECTORY:-}" ]; then
    into="$GIMP2_DIRECTORY/plug-ins"
  else
    into="${XDG_CONFIG_HOME:-$HOME/.config}/GIMP/2.10/plug-ins"
  fi
fi

mkdir -p "$into/lumiveil"
install -m 755 "$plugin" "$into/lumiveil/lumiveil"
echo "installed $into/lumiveil/lumiveil"
