"""Runs one width's module_tests.exe under Wine (tools/wine-run) for ctest. A missing
program fails; a width whose programs cannot run here counts as skipped only where
this machine cannot make them run and nothing requires them (skips.py)."""

import os
import sys

from harness import EXIT_SKIPPED, SOURCE, arch_dir, arch_may_skip, arch_runnable, machine_cannot

if __name__ == "__main__":
    runnable, reason = arch_runnable()
    if not runnable:
        if arch_may_skip():
            print("skipped: %s (%s)" % (reason, machine_cannot(emulator=True)))
            sys.exit(EXIT_SKIPPED)
        print("FAILED: " + reason)
        sys.exit(1)
    program = os.path.join(arch_dir(), "module_tests.exe")
    if not os.path.isfile(program):
        print("FAILED: no program at %s (tools/build.sh builds it)" % program)
        sys.exit(1)
    wine_run = os.path.join(SOURCE, "tools", "wine-run")
    sys.stdout.flush()
    os.execv(wine_run, [wine_run, program] + sys.argv[1:])
