#!/usr/bin/env bash
# Makes, once, the root in which ARM64 Windows programs run (see
# tools/arm64-wine-env.sh): a minimal Debian 13 with arm64 Wine and a prepared
# Wine prefix, outside the work tree. About 3 minutes and 1.5 GB the first time;
# a second run only checks that the emulator is registered. Root only.
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
. "$repo/tools/apt-packages.sh"
. "$repo/tools/lean-root.sh"
. "$repo/tools/arm64-wine-env.sh"
who=arm64-root
ready="$arm64_root/.lumiveil-ready"  # written last: a root without it is half made

apt_require_root "$who" debootstrap || exit 1
"$repo/tools/arm64-status" --register
if [ -e "$ready" ]; then
  echo "$who: arm64 Wine root present at $arm64_root"
  exit 0
fi
"$repo/tools/arm64-status" --emulator >/dev/null ||
  { echo "$who: nothing runs arm64 programs here, so no root is made" >&2; exit 1; }
apt_missing debootstrap
apt_install "$who" "${apt_need[@]}" || exit 1

mirror=$(release_mirror "$who" "no arm64 Wine root is made") || exit 1
started=$(date +%s)
building="$arm64_root.building"
rm -rf "$building"
mkdir -p "$(dirname "$arm64_root")"
echo "$who: making a $arm64_suite root with arm64 Wine at $arm64_root (about 3 minutes)"
debootstrap --variant=minbase "$arm64_suite" "$building" "$mirror" >"$building.log" 2>&1 ||
  { echo "$who: debootstrap failed: $(grep -m1 '^E:' "$building.log" || tail -n1 "$building.log")" >&2; exit 1; }
lean_root "$building"

# Everything inside runs in a mount namespace of its own, so /proc is mounted in
# the root only while it is used and nothing stays mounted on the machine.
in_root() {
  unshare --mount --propagation private -- sh -c \
    'mount -t proc proc "$0/proc" && exec chroot "$0" "$@"' "$building" "$@"
}
in_root dpkg --add-architecture arm64
in_root sh -c 'apt-get update -qq && DEBIAN_FRONTEND=noninteractive \
  apt-get install -y -qq --no-install-recommends wine64:arm64' >>"$building.log" 2>&1 ||
  { echo "$who: arm64 Wine could not be installed: $(grep -m1 '^E:' "$building.log" || tail -n1 "$building.log")" >&2; exit 1; }
in_root apt-get clean

# The prefix, made once (wineboot under emulation takes about 30 s); every run
# reuses it. The wine server is waited for so that nothing outlives the namespace.
mkdir -p "$building/run/lumiveil-xdg" "$building$(dirname "$arm64_prefix")"
chmod 700 "$building/run/lumiveil-xdg"
in_root env "${arm64_wine_env[@]}" sh -c '"$0" wineboot --init; "$1" -w' "$arm64_wine" \
  "$arm64_wineserver" >>"$building.log" 2>&1 </dev/null
[ -f "$building$arm64_prefix/system.reg" ] ||
  { echo "$who: Wine did not make its prefix (see $building.log)" >&2; exit 1; }

rm -rf "$arm64_root"
mv "$building" "$arm64_root"
mv "$building.log" "$arm64_root.log"
touch "$ready"
echo "$who: arm64 Wine root made in $(( $(date +%s) - started )) s"
