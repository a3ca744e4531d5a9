"""The module as a host first meets it: its PiPL and strings read through the
host, the selectors it answers, and the error box for a host that lacks
advanceState."""

from blocks import native_block
from harness import ARCH, HostTestCase, main, module_path

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
        entry_key = "entry 8664" if ARCH == "win64" else "entry wx86"
        other_key = "entry wx86" if ARCH == "win64" else "entry 8664"
        self.assertEqual((lines["kind"], lines["version"], lines["priority"], lines["category"],
                          lines["name"], lines["modes"], lines[entry_key], lines[other_key]),
                         ("8BFM", "4.0", "0", "Harborlight Effects", "Lumiveil...", "RGBColor",
                          "ENTRYPOINT", "(none)"))
        for case in range(1, 8):
            matching = [text for key, text in lines.items() if key.startswith("case %d " % case)]
            self.assertEqual(len(matching), 1, case)
            self.assertIn("input straight, output straight, flags1 0x01", matching[0])
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


if __name__ == "__main__":
    main()
