# Where and how ARM64 Windows programs run on an x86-64 machine: sourced by
# tools/arm64-status, tools/arm64-root.sh and tools/arm64-wine.
#
# They run under Debian 13's arm64 Wine (10.0), in a root of its own outside the
# work tree, its arm64 Linux programs run by qemu's user-mode emulator.

arm64_root="${LUMIVEIL_ARM64_ROOT:-/var/cache/lumiveil/arm64-root}"
arm64_suite=trixie  # the first Debian release whose arm64 Wine runs ARM64 PE programs

# The Wine prefix, inside the root; created once by tools/arm64-root.sh (about
# 30 s emulated) and reused, so a program starts in seconds. A caller with a
# prefix of its own (the tests: one per build folder, as for the x86 widths)
# names it in $LUMIVEIL_ARM64_PREFIX, a folder outside the root that is seen at
# the same path inside it.
arm64_prefix=/var/lib/lumiveil/wine-arm64

# The emulated CPU. Debian builds arm64 Wine with branch protection: ntdll.so
# carries the BTI property, so the loader maps its code as guarded pages, yet
# Wine's hand-written __wine_syscall_dispatcher has no landing pad. On a CPU that
# implements BTI, as qemu's default "max" does, the first call from the Windows
# side into it raises SIGILL; Wine's handler calls the same dispatcher and faults
# again, so the process spins at 100 % CPU for ever, without one system call.
# A CPU without BTI (Neoverse N1: Armv8.2 with NEON and LSE atomics, like most
# Arm64 servers and laptops) runs it; it also starts faster than Cortex-A72
# (0.4 s against 0.55 s for a console program, wine server running).
arm64_qemu_cpu=neoverse-n1

# The environment of every Wine process in the root.
arm64_wine_env=(
  HOME=/root
  XDG_RUNTIME_DIR=/run/lumiveil-xdg
  WINEPREFIX="${LUMIVEIL_ARM64_PREFIX:-$arm64_prefix}"
  QEMU_CPU="$arm64_qemu_cpu"
  WINEDEBUG="${WINEDEBUG:--all}"
  WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
)
arm64_wine=/usr/lib/wine/wine64
arm64_wineserver=/usr/lib/wine/wineserver
