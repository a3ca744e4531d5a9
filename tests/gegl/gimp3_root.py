"""GIMP 3 for the tests: the Debian 13 root that tools/make-gimp3-root.sh makes, a
private folder inside it, and commands run there through tools/gimp3-root-run.

Each test gets its own folder under the root's /tmp holding its pictures, GIMP's
profile (GIMP3_DIRECTORY), HOME and XDG folders, and the operation installed in
a GEGL folder of its own (XDG_DATA_HOME), so nothing is shared with other runs.
"""

import os
import shutil
import subprocess
import tempfile

from gegl_harness import SOURCE, exit_unless_built, install_operation
from skips import exit_unless_present, machine_cannot

ROOT = os.environ.get("LUMIVEIL_GIMP3_ROOT") or "/var/cache/lumiveil/gimp3-root"
READY_MARK = ".lumiveil-ready"
RUN = os.path.join(SOURCE, "tools", "gimp3-root-run")


def exit_unless_ready(tools=()):
    """Ends the test, saying why, when a part is missing (gegl_harness) or the root is:
    that counts as skipped only where this machine cannot make or enter it (not
    root, no debootstrap) and nothing requires it."""
    exit_unless_built(tools)
    if os.path.exists(os.path.join(ROOT, READY_MARK)) and os.geteuid() == 0:
        return
    exit_unless_present(installed=["GIMP 3 root at %s (tools/make-gimp3-root.sh makes it, "
                                   "and running GIMP 3 in it needs root)" % ROOT],
                        cannot=machine_cannot(debootstrap=True))


class Workspace:
    """A folder inside the root, seen as `inside` from GIMP and `outside` from here."""

    def __init__(self, prefix):
        self.outside = tempfile.mkdtemp(prefix=prefix, dir=os.path.join(ROOT, "tmp"))
        self.inside = "/tmp/" + os.path.basename(self.outside)
        for folder in ("home", "profile", "data", "config", "cache"):
            os.makedirs(os.path.join(self.outside, folder))
        install_operation(self.host("data"))

    def host(self, name):
        return os.path.join(self.outside, name)

    def guest(self, name):
        return self.inside + "/" + name

    def environment(self):
        """Variables for GIMP inside the root: everything private to this folder."""
        return ["HOME=" + self.guest("home"), "GIMP3_DIRECTORY=" + self.guest("profile"),
                "XDG_DATA_HOME=" + self.guest("data"), "XDG_CONFIG_HOME=" + self.guest("config"),
                "XDG_CACHE_HOME=" + self.guest("cache")]

    def command(self, program, arguments, x11=False, extra_environment=()):
        """The command line that runs program inside the root."""
        return ([RUN] + (["--x11"] if x11 else []) + ["env"] + self.environment() +
                list(extra_environment) + [program] + list(arguments))

    def remove(self):
        shutil.rmtree(self.outside, ignore_errors=True)


def run_batch(workspace, commands, timeout):
    """gimp-console-3.0 headless, Script-Fu commands in order; --quit ends GIMP
    after the last even when one fails (GIMP would otherwise wait for ever)."""
    arguments = ["-i", "--quit", "--batch-interpreter", "plug-in-script-fu-eval"]
    for command in commands:
        arguments += ["-b", command]
    run = subprocess.run(workspace.command("gimp-console-3.0", arguments),
                         stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
                         stderr=subprocess.STDOUT, timeout=timeout, universal_newlines=True)
    return run.stdout
