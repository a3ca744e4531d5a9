"""When a test may count as skipped: only for what this machine cannot do (it runs
the tests as a user other than root, who can neither install packages nor enter
the emulated roots; its kernel offers no binfmt_misc for an emulator; it has no
debootstrap). A part that the build or the install step makes fails the test when
it is missing, and on the project's own machines (CI=true, or
LUMIVEIL_REQUIRE_ARCH=1 anywhere) nothing may be skipped at all.
"""

import os
import shutil
import sys

SKIPPED = 77
FAILED = 1
BINFMT_REGISTER = "/proc/sys/fs/binfmt_misc/register"


def required():
    return os.environ.get("CI") == "true" or os.environ.get("LUMIVEIL_REQUIRE_ARCH") == "1"


def machine_cannot(emulator=False, debootstrap=False):
    """Why this machine cannot install or run what the install step provides, or None."""
    if os.geteuid() != 0:
        return ("the tests run as a user other than root, who can neither install it nor "
                "enter the roots")
    if emulator and not os.path.exists(BINFMT_REGISTER):
        return "this kernel offers no binfmt_misc to register an emulator with"
    if debootstrap and not shutil.which("debootstrap"):
        return "no debootstrap here"
    return None


def may_skip(cannot):
    """True when a missing part may count as skipped: the machine cannot make it, and
    nothing requires it."""
    return bool(cannot) and not required()


def exit_unless_present(built=(), installed=(), cannot=None):
    """Ends the test when parts are missing: `built` (what the build makes) always
    fails it; `installed` (what the install step provides) counts as skipped only
    when `cannot` says why this machine cannot provide it, and nothing requires it."""
    built, installed = list(built), list(installed)
    if not built and not installed:
        return
    missing = "no " + ", no ".join(built + installed)
    if not built and may_skip(cannot):
        print("skipped: %s, since %s" % (missing, cannot))
        sys.exit(SKIPPED)
    if built:
        why = "the build makes it (tools/build.sh)"
    elif cannot:
        why = "%s, but %s" % (cannot, "CI=true" if os.environ.get("CI") == "true"
                               else "LUMIVEIL_REQUIRE_ARCH=1") + " allows no skip"
    else:
        why = "the install step provides it (tools/install-deps.sh, as root)"
    print("FAILED: %s: %s" % (missing, why))
    sys.exit(FAILED)
