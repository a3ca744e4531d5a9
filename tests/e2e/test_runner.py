"""plughost as a user runs it: a folder of pictures in one run, JPEG, the pictures
it refuses, and the host's width taken from the module's own header."""

import os
import shutil
import subprocess

from harness import (EXIT_HOST_ERROR, EXIT_OK, TOOL, HostTestCase, main, module_path, read_png,
                     run_plughost, write_png)
from test_plughost import random_image

SIXTEEN_BIT_PNG = bytes.fromhex(  # 1 x 1, 16 bits per channel, RGB
    "89504e470d0a1a0a0000000d4948445200000001000000011002000000c0e78f9d0000000c4944"
    "4154789c63103201410002b300d3fab702450000000049454e44ae426082")


class RunnerTests(HostTestCase):
    def setUp(self):
        super().setUp()
        # Stored settings, as after a confirmed dialog: every run below is a repeat.
        self.params = self.path("look.prm")
        run = self.run_host(["run", module_path(), "--in", "pattern:32x32", "--params", self.params,
                             "--windows-dir", self.path("windows"), "--do", "click 1"], trace=False)
        self.assertEqual(run.returncode, EXIT_OK, run.report())

    def repeat(self, *args):
        # As a user runs it: on the host's fast path, without --verify-input.
        return run_plughost(["run", module_path(), "--repeat", "--params", self.params] + list(args),
                            verify_input=False)

    def test_a_folder_is_filtered_picture_by_picture(self):
        folder = self.path("pictures")
        os.makedirs(folder)
        write_png(os.path.join(folder, "a.png"), random_image(60, 40))
        run = self.repeat("--in", "pattern:50x30", "--out", os.path.join(folder, "b.jpg"))
        self.assertEqual(run.returncode, EXIT_OK, run.report())
        with open(os.path.join(folder, "b.jpg"), "rb") as f:
            self.assertEqual(f.read(2), b"\xff\xd8", "a .jpg result is a JPEG")
        with open(os.path.join(folder, "c.png"), "wb") as f:
            f.write(b"not a picture")
        with open(os.path.join(folder, "d.png"), "wb") as f:
            f.write(SIXTEEN_BIT_PNG)
        alone = self.path("a-alone.png")
        self.assertEqual(self.repeat("--in", os.path.join(folder, "a.png"), "--out", alone).returncode,
                         EXIT_OK)

        results = self.path("results")
        run = self.repeat("--in", folder, "--out-dir", results)
        self.assertEqual(run.returncode, EXIT_HOST_ERROR, run.report())
        self.assertEqual(sorted(os.listdir(results)), ["a.png", "b.jpg"], run.report())
        self.assertEqual(read_png(os.path.join(results, "a.png")).data, read_png(alone).data,
                         "a picture of a batch comes out as when filtered alone")
        for name, reason in (("c.png", "not a picture that can be read"),
                             ("d.png", "16 bits per channel")):
            named = [line for line in run.stderr.splitlines() if os.path.join(folder, name) in line]
            self.assertEqual(len(named), 1, run.report())
            self.assertIn(reason, named[0])

        missing = self.path("missing.png")
        run = self.repeat("--in", missing, "--out", self.path("never.png"))
        self.assertEqual(run.returncode, EXIT_HOST_ERROR, run.report())
        self.assertEqual(run.stderr.strip().splitlines(), ["plughost: %s: no such file" % missing])

    def test_a_module_anywhere_runs_in_the_host_of_its_width(self):
        folder = self.path("elsewhere")
        os.makedirs(folder)
        shutil.copy(module_path(), folder)
        environment = {k: v for k, v in os.environ.items() if k != "LUMIVEIL_ARCH"}
        completed = subprocess.run([TOOL, "info", os.path.join(folder, "LumiveilFilter.8bf")],
                                   env=environment, stdin=subprocess.DEVNULL,
                                   stdout=subprocess.PIPE, stderr=subprocess.PIPE, timeout=180)
        self.assertEqual(completed.returncode, EXIT_OK, completed.stderr.decode("latin-1"))
        self.assertIn(b"name: Lumiveil...", completed.stdout)


if __name__ == "__main__":
    main()
