"""The module as a host first meets it: its PiPL and strings read through the
host, the selectors it answers, and the error box for a host that lacks
advanceState."""

from blocks import native_block
from harness import ARCH, HostTestCase, main, module_path, read_png
from test_filter_pass import record_after

STRINGS = {
    2: "Lumiveil Plugin filter",
    16000: "Lumiveil",
    16997: "This plug-in requires Adobe Photoshop 2.5 or later functionality",
    16998: "This plug-in is incompatible with this version of the host program",
    16999: "This plug-in requires Adobe Photoshop 2.5.2 or later functionality",
}


class Entry(HostTestCase):
    def test_the_host_reads_the_pipl_as_a_filter_for_rgb_images(self):
        run = self.run_host(["info", module_path()], trace=False)
        self.assertEqual(run.returncode, 0, run.report())
        lines = dict(line.split(": ", 1) for line in run.stdout.splitlines() if ": " in line)
        entry_keys = {"win32": "entry wx86", "win64": "entry 8664", "win-arm64": "entry wa64"}
        self.assertEqual((lines["kind"], lines["version"], lines["priority"], lines["category"],
                          lines["name"], lines["modes"], lines[entry_keys[ARCH]]),
                         ("8BFM", "4.0", "0", "Harborlight Effects", "Lumiveil...", "RGBColor",
                          "ENTRYPOINT"))
        for arch, other_key in entry_keys.items():
            if arch != ARCH:
                self.assertEqual(lines[other_key], "(none)", other_key)
        for case in range(1, 8):
            matching = [text for key, text in lines.items() if key.startswith("case %d " % case)]
            self.assertEqual(len(matching), 1, case)
            self.assertIn("input straight, output straight, flags1 0x01", matching[0])
        # Hosts that step by each length alone and hosts that round it up to 4
        # read the same eight properties.
        self.assertEqual(lines["steppings"], "agree (rounded up or by length alone: "
                                             "8 properties, ending at byte 226)")
        raw = self.path("pipl.bin")
        run = self.run_host(["pipl", module_path(), "--raw", raw], trace=False)
        self.assertEqual(run.returncode, 0, run.report())
        with open(raw, "rb") as f:
            self.assertEqual(len(f.read()), 226)

    def test_the_string_table_holds_the_five_texts(self):
        run = self.run_host(["strings", module_path()] + [str(i) for i in STRINGS], trace=False)
        self.assertEqual(run.returncode, 0, run.report())
        found = {}
        for line in run.stdout.replace("\r", "").splitlines():
            key, _, text = line.partition(": ")
            if key.isdigit():
                found[int(key)] = text
        self.assertEqual(found, STRINGS)

    def test_prepare_asks_for_no_buffer_space_and_finish_succeeds(self):
        params = self.path("params.bin")
        with open(params, "wb") as f:
            f.write(native_block(show_dialog=0))
        for max_space in ("0", "1000000", "2147483647"):
            run = self.run_host(["run", module_path(), "--in", "pattern:40x30", "--out",
                                 self.path("out.png"), "--repeat", "--params", params,
                                 "--max-space", max_space])
            self.assertEqual(run.results, [("prepare", 0), ("start", 0), ("finish", 0)],
                             run.report())
            after = [r for r in run.records("record")]
            self.assertEqual(after[0]["bufferSpace"], 0, max_space)

    def test_unknown_selectors_are_refused_and_touch_nothing(self):
        for selector in ("6", "32767", "-1"):
            run = self.run_host(["call", module_path(), selector], trace=False)
            self.assertEqual(run.results, [(selector, -30100)], run.report())
            self.assertEqual((run.lines("record:"), run.lines("data:")),
                             (["unchanged"], ["unchanged"]), run.report())

    def repeat_with_stored_settings(self, extra, steps=None):
        params = self.path("params.bin")
        with open(params, "wb") as f:
            f.write(native_block(settings=(40, 80, 20), show_dialog=0 if steps is None else 1))
        source, out = self.path("in.png"), self.path("out.png")
        run = self.run_host(["pattern", "60x40", "--out", source], trace=False)
        self.assertEqual(run.returncode, 0, run.report())
        args = ["run", module_path(), "--in", source, "--out", out, "--repeat", "--params",
                params] + extra + (["--do", steps] if steps else [])
        run = self.run_host(args)
        self.assertEqual(run.lines("dialog:"), [], run.report())  # every step did what it said
        return run, source, out

    def test_a_host_without_advance_state_gets_the_error_box_and_an_untouched_image(self):
        run, source, out = self.repeat_with_stored_settings(
            ["--no-advance-state"],
            'expect-caption "%s"; expect-text "%s"; click 1' % (STRINGS[2], STRINGS[16997]))
        self.assertEqual(run.result("start"), 0, run.report())
        self.assertEqual(run.records("advance"), [])
        self.assertImagesEqual(read_png(out), read_png(source))

    def test_a_host_without_display_pixels_gets_the_error_box_instead_of_the_dialog(self):
        run, source, out = self.repeat_with_stored_settings(
            ["--no-display-pixels"],
            'expect-caption "%s"; expect-text "%s"; click 1' % (STRINGS[2], STRINGS[16999]))
        self.assertEqual(run.result("start"), 1, run.report())
        self.assertEqual(run.records("advance"), [])
        self.assertImagesEqual(read_png(out), read_png(source))

    def test_continue_after_start_runs_nothing(self):
        run, _, out = self.repeat_with_stored_settings(["--force-continue"])
        self.assertEqual(run.selectors(), ["prepare", "start", "continue", "finish"], run.report())
        self.assertEqual(run.result("continue"), 0, run.report())
        continued = False
        for record in run.trace:
            if record.kind == "selector" and record.words == ["continue"]:
                continued = True
            elif continued and record.kind in ("advance", "progress", "abort"):
                self.fail("Continue after Start reached the host: " + record.line)
        after = record_after(run, "continue")
        self.assertEqual((after["inRect"], after["outRect"]), ((0, 0, 0, 0), (0, 0, 0, 0)))


if __name__ == "__main__":
    main()
