#!/usr/bin/env bash
# Installs what the build and the tests need on a Debian machine, as root.
# Only missing packages are installed, so a second run costs a few seconds.
# A half-synced or unreachable mirror does not stop it (tools/apt-packages.sh).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
. "$root/tools/apt-packages.sh"
who=install-deps

packages=(cmake make g++ g++-mingw-w64-i686 g++-mingw-w64-x86-64 binutils-mingw-w64-i686
          binutils-mingw-w64-x86-64 wine wine32:i386 wine64 xvfb xauth libstb-dev
          libgtest-dev googletest libbenchmark-dev python3 clang gimp libgimp2.0-dev
          xdotool x11-apps nsis
          # The Mac plug-in: its linker and lipo (clang above), and the emulator
          # that its tests run it in.
          lld-14 llvm-14 python3-unicorn)

if ! dpkg --print-foreign-architectures | grep -qx i386; then
  apt_require_root "$who" wine32:i386 || exit 1
  dpkg --add-architecture i386
fi
apt_missing "${packages[@]}"
apt_install "$who" "${apt_need[@]}" || exit 1

# Wine runs 32-bit Windows programs as 32-bit Linux ones. Where the kernel refuses
# those, qemu's user-mode emulator runs them, registered through binfmt_misc.
# qemu 10 starts a 32-bit Wine process in about 1 s where bookworm's qemu 7.2
# takes about 4 s, so on bookworm it comes from the release's backports.
# The same package brings qemu-aarch64, which runs the ARM64 module's arm64 Wine.
if ! command -v qemu-aarch64 >/dev/null ||
   { ! "$root/tools/ia32-status" >/dev/null && ! command -v qemu-i386 >/dev/null; }; then
  if [ "$(apt_codename)" != bookworm ] || ! apt_extra_suite "$who" bookworm-backports qemu-user; then
    apt_missing qemu-user-static
    apt_install "$who" "${apt_need[@]}" || exit 1
  fi
fi
"$root/tools/ia32-status" --register
# Without the GIMP 3 root the rest is still worth installing; its tests then say why.
"$root/tools/make-gimp3-root.sh" || echo "install-deps: no GIMP 3 root (the reason above)" >&2
"$root/tools/build-arm64-toolchain.sh" && "$root/tools/arm64-root.sh" || echo "install-deps: no ARM64 toolchain or emulated arm64 Wine (the reason above); the ARM64 tests will be skipped" >&2
# The Windows GEGL that the operation's Windows DLLs are built against and tested in.
"$root/tools/build-gegl-windows.sh" || echo "install-deps: no Windows GEGL (the reason above); no lumiveil-gegl.dll is built and the gegl-windows tests fail (or count as skipped where this machine cannot make it)" >&2
echo "install-deps: all packages present"
