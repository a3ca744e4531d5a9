#!/usr/bin/env bash
# Installs what the build and the tests need on a Debian machine, as root:
#
#   tools/install-deps.sh              all of it, for the test command
#   tools/install-deps.sh --demo WIDTH what the demo shows alone: Wine, Xvfb, stb, CMake
#                                      and the compiler of one width (win32 or win64)
#
# Only missing packages are installed, so a second run costs a few seconds. Each
# step says how long it took ("install: packages 95 s").
# A half-synced or unreachable mirror does not stop it (tools/apt-packages.sh).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
. "$root/tools/apt-packages.sh"
who=install-deps

width=all
case "${1:-}" in
  "") ;;
  --demo)
    width=${2:-}
    case "$width" in
      win32 | win64) ;;
      *) apt_say "$who" "--demo needs the width it builds, win32 or win64"; exit 1 ;;
    esac
    apt_command="$0 --demo $width"
    ;;
  *) apt_say "$who" "unknown argument $1 (none, or --demo win32|win64)"; exit 1 ;;
esac

# Runs one step of the install and says how long it took.
timed() {
  local step=$1 started=$SECONDS status=0
  shift
  "$@" || status=$?
  echo "install: $step $((SECONDS - started)) s"
  return "$status"
}

# Every width's build: CMake (Python makes the module's artwork; the Windows build
# folders configure GoogleTest from its sources), and what plughost runs in: the
# 64-bit Wine, which makes the prefix both widths share, Xvfb and stb.
packages=(cmake make python3 googletest wine wine64 xvfb libstb-dev)
case "$width" in
  win32) packages+=(g++-mingw-w64-i686-posix binutils-mingw-w64-i686 wine32:i386) ;;
  win64) packages+=(g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64) ;;
  all)
    packages+=(g++ g++-mingw-w64-i686 g++-mingw-w64-x86-64 binutils-mingw-w64-i686
               binutils-mingw-w64-x86-64 wine32:i386 xauth libgtest-dev libbenchmark-dev clang
               gimp libgimp2.0-dev xdotool x11-apps nsis
               # The Mac plug-in: its linker and lipo (clang above), and the emulator
               # that its tests run it in.
               lld-14 llvm-14 python3-unicorn
               # The ARM64 toolchain's build from source.
               clang-14 dpkg-dev)
    ;;
esac

install_packages() {
  if [[ " ${packages[*]} " == *:i386\ * ]] && ! dpkg --print-foreign-architectures | grep -qx i386; then
    apt_require_root "$who" wine32:i386 || return 1
    dpkg --add-architecture i386
    apt_lists_refreshed=no  # the lists at hand have no i386 packages yet
  fi
  apt_missing "${packages[@]}"
  apt_install "$who" "${apt_need[@]}"
}

# Wine runs 32-bit Windows programs as 32-bit Linux ones. Where the kernel refuses
# those, qemu's user-mode emulator runs them, registered through binfmt_misc.
# qemu 10 starts a 32-bit Wine process in about 1 s where bookworm's qemu 7.2
# takes about 4 s, so on bookworm it comes from the release's backports.
# The same package brings qemu-aarch64, which runs the ARM64 module's arm64 Wine.
install_emulator() {
  if ! command -v qemu-aarch64 >/dev/null ||
     { ! "$root/tools/ia32-status" >/dev/null && ! command -v qemu-i386 >/dev/null; }; then
    if [ "$(apt_codename)" != bookworm ] || ! apt_extra_suite "$who" bookworm-backports qemu-user; then
      apt_missing qemu-user-static
      apt_install "$who" "${apt_need[@]}" || return 1
    fi
  fi
}

# What the GIMP 3 root and the Windows GEGL need of this machine.
install_root_tools() {
  apt_missing debootstrap libgegl-dev gegl
  apt_install "$who" "${apt_need[@]}"
}

# The GIMP 3 root and the Windows GEGL are made in Debian roots of their own, so
# they ask this machine for debootstrap and the GEGL files alone: with those in
# place they start at once and run beside this machine's packages and the ARM64
# toolchain, filling the cores that downloads and unpacking leave idle.
started=$SECONDS
if [ "$width" = all ]; then
  timed "root tools" install_root_tools || exit 1
  # Without the GIMP 3 root the rest is still worth installing; its tests then say why.
  { timed "GIMP 3 root" "$root/tools/make-gimp3-root.sh" ||
      echo "install-deps: no GIMP 3 root (the reason above)" >&2; } &
  gimp3_root=$!
  # The Windows GEGL that the operation's Windows DLLs are built against and tested in.
  { timed "Windows GEGL" "$root/tools/build-gegl-windows.sh" ||
      echo "install-deps: no Windows GEGL (the reason above); no lumiveil-gegl.dll is built and the gegl-windows tests fail (or count as skipped where this machine cannot make it)" >&2; } &
  gegl_windows=$!
fi
# A failure here waits for the lanes beside it, so that none is left running alone.
timed packages install_packages || { wait; exit 1; }
# The demo registers an emulator installed earlier (its registration does not
# outlive a restart), but installs none: it runs the 64-bit module instead.
if [ "$width" = all ]; then
  timed emulator install_emulator || { wait; exit 1; }
fi
"$root/tools/ia32-status" --register
if [ "$width" != all ]; then
  echo "install-deps: what the $width demo needs is present"
  exit 0
fi
{ timed "ARM64 toolchain" "$root/tools/build-arm64-toolchain.sh" && timed "arm64 Wine root" "$root/tools/arm64-root.sh"; } ||
  echo "install-deps: no ARM64 toolchain or emulated arm64 Wine (the reason above); the ARM64 tests will be skipped" >&2
wait "$gimp3_root" "$gegl_windows"
echo "install: all $((SECONDS - started)) s"
echo "install-deps: all packages present"
