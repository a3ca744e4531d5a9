"""End-to-end tests of the reference host itself, driven with the probe module
(tests/probes/basic). They guard the paths the module's own tests rely on:
sampling, padding, planes, row padding, guard bytes, the trace, handles,
parameters, abort, advanceState failures, crash reports, the watchdog and the
PiPL reader."""

import os
import random
import re
import subprocess

import unittest

import harness
import pngio
from harness import (EXIT_CRASH, EXIT_HOST_ERROR, EXIT_OK, EXIT_SELECTOR_FAILED,
                     EXIT_TIMEOUT, EXIT_VIOLATION, JUNK_EVEN, JUNK_ODD, MASK_PADDING_SENTINEL,
                     MASK_RECT_SENTINEL, HostTestCase, Image, alpha_pattern, arch_emulated,
                     probe_path, read_png, wine_path, write_png)

PARAM_ERR = -50
MEM_FULL_ERR = -108
# The PiPL property naming the entry point of each width's code.
ENTRY_KEYS = {"win32": "wx86", "win64": "8664", "win-arm64": "wa64"}


def random_image(width, height, channels=3, seed=7):
    rng = random.Random(seed)
    return Image(width, height, channels, bytes(rng.randrange(256) for _ in range(width * height * channels)))


def parse_dump(path):
    """The probe's dump file as a list of deliveries, one per advanceState call
    in dump mode: {"line": the probe's 'advance -> ...' line, "buffers": {name:
    (rect, rowBytes, planes, [row bytes...])}}."""
    deliveries = []
    with open(path) as f:
        text = f.read().splitlines()
    i = 0
    while i < len(text):
        line = text[i]
        i += 1
        if line.startswith("advance -> "):
            deliveries.append({"line": line, "buffers": {}})
            continue
        match = re.match(r"^(in|out|mask) rect=(\S+) rowBytes=(\d+) planes=(\d+) data=(\w+)$", line)
        if match:
            rect = tuple(int(v) for v in match.group(2).split(","))
            rows = []
            if match.group(5) == "yes" and rect[2] > rect[0] and rect[3] > rect[1]:
                for _ in range(rect[2] - rect[0]):
                    rows.append(bytes.fromhex(text[i]))
                    i += 1
            deliveries[-1]["buffers"][match.group(1)] = (rect, int(match.group(3)),
                                                         int(match.group(4)), rows)
    return deliveries


def sampled(image, rate, top, left, bottom, right, planes, padding=None):
    """What the host must deliver for a sampled rectangle: point sampling at
    whole factor `rate`, edge replication (padding -1) or a constant outside."""
    height = -(-image.height // rate)
    width = -(-image.width // rate)
    rows = []
    for y in range(top, bottom):
        row = bytearray()
        for x in range(left, right):
            inside = 0 <= y < height and 0 <= x < width
            if inside or padding == -1:
                sy = min(max(y, 0), height - 1) * rate
                sx = min(max(x, 0), width - 1) * rate
                pixel = image.pixel(sx, sy)
                row += bytes(pixel[p] for p in planes)
            elif padding == -2:
                row += bytes([JUNK_ODD if (x + y) & 1 else JUNK_EVEN] * len(planes))
            else:
                row += bytes([padding] * len(planes))
        rows.append(bytes(row))
    return rows


class HostTests(HostTestCase):
    def write_input(self, image, name="in.png"):
        path = self.path(name)
        write_png(path, image, row_filter=4)
        return path

    def dump_run(self, image, probe, extra=(), expect=EXIT_OK, runs=1):
        """Runs of the probe in dump mode in one host process (`probe` values may
        hold per-run alternatives "a|b"); returns (run, deliveries)."""
        self._dumps = getattr(self, "_dumps", 0) + 1
        dump = self.path("dump-%d.txt" % self._dumps)
        arguments = ["run", probe_path(), "--in", self.write_input(image), "--runs", str(runs)]
        run = self.run_host(arguments + list(extra),
                            probe="mode=dump dump=%s %s" % (wine_path(dump), probe))
        self.assertEqual(run.returncode, expect, run.report())
        return run, parse_dump(dump) if os.path.exists(dump) else []

    # --- PiPL ------------------------------------------------------------------

    def test_info_prints_the_probe_pipl_as_a_host_reads_it(self):
        run = self.run_host(["info", probe_path()], trace=False)
        self.assertEqual(run.returncode, EXIT_OK, run.report())
        entry_key = ENTRY_KEYS[harness.ARCH]
        others = ["entry %s: (none)" % key for key in ENTRY_KEYS.values() if key != entry_key]
        for expected in ["kind: 8BFM", "version: 4.0", "category: Probes", "name: Basic Probe",
                         "entry %s: ProbeMain" % entry_key, "modes: RGBColor",
                         "properties: 7"] + others:
            self.assertIn(expected, run.stdout.splitlines(), run.report())
        cases = run.lines("case ")
        self.assertEqual(len(cases), 7, run.report())
        for case in cases:
            self.assertIn("input straight, output straight, flags1 0x00", case)

    def test_a_pipl_with_unpadded_lengths_is_lost_to_hosts_that_step_by_length(self):
        # The probe declares its odd lengths (7, 10, 2) without their padding.
        run = self.run_host(["info", probe_path()], trace=False)
        self.assertIn("steppings: differ: stepping by the length alone: property 4 of 7",
                      run.stdout, run.report())
        run = self.run_host(["run", probe_path(), "--pipl-length-only"], trace=False)
        self.assertEqual(run.returncode, EXIT_HOST_ERROR, run.report())
        self.assertIn("the module's PiPL is malformed: property", run.stderr, run.report())
        self.assertEqual(run.results, [])

    def test_info_refuses_a_property_running_past_the_end(self):
        run = self.run_host(["info", probe_path("ProbeBrokenPipl.8bf")], trace=False)
        self.assertEqual(run.returncode, EXIT_HOST_ERROR, run.report())
        self.assertIn("past the end", run.stdout + run.stderr)

    def test_run_refuses_a_malformed_pipl(self):
        run = self.run_host(["run", probe_path("ProbeBrokenPipl.8bf")], trace=False)
        self.assertEqual(run.returncode, EXIT_HOST_ERROR, run.report())
        self.assertEqual(run.results, [])

    def test_run_refuses_a_module_built_for_the_other_architecture(self):
        other = "win32" if harness.ARCH == "win64" else "win64"
        module = probe_path(arch=other)
        if not os.path.exists(module):
            self.skipTest("no %s build at %s" % (other, module))
        run = self.run_host(["run", module], trace=False)
        self.assertEqual(run.returncode, EXIT_HOST_ERROR, run.report())
        message = "has no '%s' entry point" % ENTRY_KEYS[harness.ARCH]
        self.assertEqual(run.stderr.count(message), 1, run.report())
        self.assertNotIn(message, run.stdout, "an error is said once, on standard error")

    def test_pipl_raw_and_strings(self):
        raw = self.path("pipl.bin")
        run = self.run_host(["pipl", probe_path(), "--raw", raw], trace=False)
        self.assertEqual(run.returncode, EXIT_OK, run.report())
        with open(raw, "rb") as f:
            data = f.read()
        self.assertEqual(data[:10], bytes([1, 0, 0, 0, 0, 0, 7, 0, 0, 0]))
        self.assertEqual(data[10:18], b"MIB8dnik")
        strings = self.run_host(["strings", probe_path(), "1", "2"], trace=False)
        self.assertEqual(strings.returncode, EXIT_OK, strings.report())
        self.assertEqual(strings.stdout.splitlines(), ["1: Basic Probe", "2: Probe string two"])
        missing = self.run_host(["strings", probe_path(), "77"], trace=False)
        self.assertNotEqual(missing.returncode, EXIT_OK, missing.report())

    # --- the run and its trace ----------------------------------------------------

    def test_strip_copy_reproduces_the_input_and_traces_every_call(self):
        image = random_image(37, 40)
        out = self.path("out.png")
        run = self.run_host(["run", probe_path(), "--in", self.write_input(image), "--out", out],
                            probe="mode=copy strip=16")
        self.assertEqual(run.returncode, EXIT_OK, run.report())
        self.assertEqual(run.results, [("parameters", 0), ("prepare", 0), ("start", 0), ("finish", 0)])
        self.assertImagesEqual(read_png(out), image)
        kinds = [r.kind for r in run.trace if r.kind != "note"]
        self.assertEqual(kinds[0], "run", "the host's own notes may come first, then the run")
        self.assertEqual([(r.words, r.result) for r in run.records("selector")],
                         [(["parameters"], None), (["parameters"], 0), (["prepare"], None),
                          (["prepare"], 0), (["start"], None), (["start"], 0),
                          (["finish"], None), (["finish"], 0)])
        self.assertEqual(len(run.records("record")), 4, "one record line after each selector")
        self.assertEqual([tuple(r.words) for r in run.records("progress")],
                         [("0", "40"), ("16", "40"), ("32", "40")])
        advances = run.records("advance")
        self.assertEqual([a["out"] for a in advances], [(0, 0, 16, 37), (16, 0, 32, 37), (32, 0, 40, 37)])
        first = advances[0]
        self.assertEqual(first["inPlanes"], "0-2")
        self.assertEqual(first["inPad"], -3)
        self.assertEqual(first["inRate"], 0x10000)
        self.assertEqual(first.result, 0)
        record = run.records("record")[-1]
        self.assertEqual(record["parameters"], "null")
        self.assertEqual(record["inRect"], (0, 0, 0, 0))

    # --- sampling ---------------------------------------------------------------------

    def test_sampling_delivers_every_nth_pixel_in_padded_rows(self):
        image = random_image(23, 17)
        cases = [(1, 1), (2, 2), (3, 3), (4, 4), (0, 1), (1.75, 2)]  # rate asked, rate applied
        rects = ["0,0,%d,%d" % (-(-17 // n), -(-23 // n)) for _, n in cases]
        probe = "rate=%s in=%s" % ("|".join(str(r) for r, _ in cases), "|".join(rects))
        run, deliveries = self.dump_run(image, probe, runs=len(cases))
        self.assertEqual(len(deliveries), len(cases), run.report())
        for (asked, applied), delivery in zip(cases, deliveries):
            rect, row_bytes, planes, rows = delivery["buffers"]["in"]
            height, width = -(-17 // applied), -(-23 // applied)
            self.assertEqual(rect, (0, 0, height, width), "rate %s" % asked)
            self.assertGreaterEqual(row_bytes, width * 3 + harness.ROW_SLACK_MIN, "rows are padded")
            self.assertEqual(rows, sampled(image, applied, 0, 0, height, width, (0, 1, 2)),
                             "rate %s" % asked)
            self.assertIn("inColumnBytes=3 inPlaneBytes=1", delivery["line"])
        self.assertEqual([a["inRate"] for a in run.records("advance")],
                         [0x10000, 0x20000, 0x30000, 0x40000, 0, 0x1C000])

    def test_without_sampling_support_the_rate_is_ignored(self):
        image = random_image(12, 10)
        run, deliveries = self.dump_run(image, "rate=2 in=0,0,10,12", ["--sampling", "0"])
        self.assertEqual(deliveries[0]["buffers"]["in"][3], sampled(image, 1, 0, 0, 10, 12, (0, 1, 2)))

    # --- padding ------------------------------------------------------------------------

    def test_padding_fills_what_lies_outside_the_image(self):
        image = random_image(10, 8)
        cases = [(-1, 1, (-3, -4, 11, 13)),  # edge replication
                 (-1, 2, (-2, -2, 7, 8)),    # edge replication of the sampled image
                 (77, 1, (-1, -2, 7, 6)),    # that byte
                 (-2, 1, (0, 0, 8, 14))]     # undefined: the host's junk pattern
        probe = "inpad=%s rate=%s in=%s" % ("|".join(str(c[0]) for c in cases),
                                            "|".join(str(c[1]) for c in cases),
                                            "|".join(",".join(map(str, c[2])) for c in cases))
        run, deliveries = self.dump_run(image, probe, runs=len(cases))
        self.assertEqual(len(deliveries), len(cases), run.report())
        for (padding, rate, rect), delivery in zip(cases, deliveries):
            self.assertEqual(delivery["buffers"]["in"][0], rect)
            self.assertEqual(delivery["buffers"]["in"][3],
                             sampled(image, rate, *rect, (0, 1, 2), padding=padding),
                             "padding %d at rate %d" % (padding, rate))

    def test_error_padding_fails_a_request_outside_the_image(self):
        image = random_image(6, 5)
        run, deliveries = self.dump_run(image, "in=0,0,6,6", expect=EXIT_SELECTOR_FAILED)
        self.assertEqual(run.result("start"), PARAM_ERR)
        self.assertIsNone(run.result("finish"), "no Finish after a failed Start")
        advance = run.records("advance")[0]
        self.assertEqual(advance.result, PARAM_ERR)
        self.assertTrue(any("outside the image" in r.line for r in run.records("note")), run.trace)

    def test_without_padding_support_the_host_clips_inrect(self):
        image = random_image(10, 8)
        run, deliveries = self.dump_run(image, "inpad=-1 in=-3,-4,11,13", ["--padding", "no"])
        rect, row_bytes, planes, rows = deliveries[0]["buffers"]["in"]
        self.assertEqual(rect, (0, 0, 8, 10), "the record's inRect shows what was delivered")
        self.assertEqual(rows, sampled(image, 1, 0, 0, 8, 10, (0, 1, 2)))
        advance = run.records("advance")[0]
        self.assertEqual(advance["in"], (-3, -4, 11, 13))
        self.assertEqual(advance["delivered"], (0, 0, 8, 10))

    # --- planes --------------------------------------------------------------------------

    def test_plane_ranges_deliver_and_write_back_only_those_planes(self):
        image = random_image(9, 6)
        out = self.path("inverted.png")
        dump = self.path("planes.txt")
        run = self.run_host(["run", probe_path(), "--in", self.write_input(image), "--out", out,
                             "--then", "menu"],
                            probe="mode=dump|invert planes=1-2|1-1 strip=4 in=0,0,6,9 dump=%s" %
                            wine_path(dump))
        self.assertEqual(run.returncode, EXIT_OK, run.report())
        delivered = parse_dump(dump)[0]["buffers"]["in"]
        self.assertEqual(delivered[2], 2)
        self.assertEqual(delivered[3], sampled(image, 1, 0, 0, 6, 9, (1, 2)))
        expected = image.copy()
        for i in range(1, len(expected.data), 3):
            expected.data[i] = 255 - expected.data[i]
        self.assertImagesEqual(read_png(out), expected)

    def test_four_planes_keep_the_transparency_plane(self):
        out = self.path("out.png")
        run = self.run_host(["run", probe_path(), "--in", "pattern:20x12", "--planes", "4",
                             "--out", out], probe="mode=invert planes=0-2")
        self.assertEqual(run.returncode, EXIT_OK, run.report())
        source = self.pattern_image(20, 12, planes=4)
        result = read_png(out)
        self.assertEqual(result.channels, 4)
        for y in range(12):
            for x in range(20):
                r, g, b, a = result.pixel(x, y)
                self.assertEqual(a, alpha_pattern(x, y))
                self.assertEqual((r, g, b), tuple(255 - v for v in source.pixel(x, y)[:3]))

    def test_outrect_outside_filterrect_fails(self):
        image = random_image(20, 20)
        run, deliveries = self.dump_run(image, "out=0,0,5,5", ["--rect", "10,10,20,20"],
                                        expect=EXIT_SELECTOR_FAILED)
        self.assertEqual(run.result("start"), PARAM_ERR)
        self.assertTrue(any("outside filterRect" in r.line for r in run.records("note")), run.trace)

    def test_selection_sets_filterrect_and_case(self):
        image = random_image(20, 20)
        out = self.path("out.png")
        run = self.run_host(["run", probe_path(), "--in", self.write_input(image), "--rect",
                             "5,6,15,18", "--out", out], probe="mode=invert strip=3")
        self.assertEqual(run.returncode, EXIT_OK, run.report())
        expected = image.copy()
        for y in range(5, 15):
            for x in range(6, 18):
                expected.set_pixel(x, y, [255 - v for v in image.pixel(x, y)])
        self.assertImagesEqual(read_png(out), expected)

    # --- broken rules ----------------------------------------------------------------------

    def test_writes_outside_buffers_fail_the_run_loudly(self):
        cases = [("write-past-buffer", "outData: 1 byte after its end"),
                 ("write-before-buffer", "outData: 1 byte before its start"),
                 ("write-past-row", "outside outData's rectangle"),
                 ("write-input", "wrote into inData")]
        for mode, message in cases:
            run = self.run_host(["run", probe_path(), "--in", "pattern:16x16"],
                                probe="mode=%s strip=8" % mode)
            self.assertEqual(run.returncode, EXIT_VIOLATION, run.report())
            faults = run.lines("fault:")
            self.assertEqual(len(faults), 1, run.report())
            self.assertIn(message, faults[0], mode)
            self.assertEqual(run.trace[-1].kind, "fault")

    def test_a_crash_is_reported_with_code_and_module_offset(self):
        run = self.run_host(["run", probe_path(), "--in", "pattern:8x8"], probe="mode=crash")
        self.assertEqual(run.returncode, EXIT_CRASH, run.report())
        crash = run.lines("crash:")
        self.assertEqual(len(crash), 1, run.report())
        self.assertRegex(crash[0], r"code=0x[0-9A-F]{8} address=0x[0-9a-f]+ ProbeFilter\.8bf\+0x[0-9a-f]+ "
                                   r"\(.+\) during selector start")
        self.assertEqual(run.trace[-1].kind, "crash")
        if arch_emulated():
            self.skipTest("qemu hands Wine a page fault without its trap number, which Wine "
                          "then reports as an illegal instruction (0xC000001D); the access "
                          "violation's code and details are checked where 32-bit programs "
                          "run natively")
        self.assertRegex(crash[0], r"code=0xC0000005 .*\(access violation writing 0x10\)")

    def test_a_hanging_selector_is_ended_by_the_watchdog(self):
        run = self.run_host(["run", probe_path(), "--in", "pattern:8x8", "--timeout", "1500"],
                            probe="mode=hang")
        self.assertEqual(run.returncode, EXIT_TIMEOUT, run.report())
        self.assertIn("selector start did not return within 1500 ms", run.stdout)

    def test_every_failing_exit_says_why_on_stderr_once(self):
        # (probe settings, extra options, exit status, what stderr must say)
        cases = [
            ("mode=invert strip=4", ["--fail-advance", "1:-108"], EXIT_SELECTOR_FAILED,
             "selector start returned -108 (out of memory)"),
            ("mode=invert strip=4", ["--abort-at", "1"], EXIT_SELECTOR_FAILED,
             "selector start returned 1 (cancelled, aborted, or an error box was shown)"),
            ("mode=write-past-row", [], EXIT_VIOLATION, "fault: "),
            ("mode=crash", [], EXIT_CRASH, "crash: "),
            ("mode=hang", ["--timeout", "1500"], EXIT_TIMEOUT, "did not return within 1500 ms"),
        ]
        for probe, options, status, said in cases:
            with self.subTest(probe=probe, options=options):
                run = self.run_host(["run", probe_path(), "--in", "pattern:8x8"] + options,
                                    probe=probe)
                self.assertEqual(run.returncode, status, run.report())
                lines = [line for line in run.stderr.splitlines() if line.strip()]
                self.assertEqual(len(lines), 1, run.report())
                self.assertTrue(lines[0].startswith("plughost: "), run.report())
                self.assertIn(said, lines[0], run.report())

    def test_a_prefix_made_by_the_other_wine_is_left_to_it(self):
        # The x86 Wine and the emulated arm64 one cannot share a prefix: a caller's
        # prefix made by the other Wine gets a sibling for this Wine's runs (here a
        # link to this width's own prefix, which spares making one).
        kind, other = ("arm64", "x86") if harness.ARCH == "win-arm64" else ("x86", "arm64")
        prefix = self.path("prefix")
        os.makedirs(prefix)
        with open(os.path.join(prefix, ".lumiveil-prefix-ready"), "w") as f:
            f.write(other + "\n")
        own = os.environ.get("LUMIVEIL_WINEPREFIX") or os.path.join(harness.SOURCE, ".wine")
        os.symlink(own, prefix + "." + kind)
        run = harness.run_plughost(["info", harness.module_path()],
                                   env={"LUMIVEIL_WINEPREFIX": prefix})
        self.assertEqual(run.returncode, EXIT_OK, run.report())
        self.assertIn("belongs to the %s Wine; this %s run uses %s.%s" % (other, kind, prefix, kind),
                      run.stderr)
        self.assertEqual(os.listdir(prefix), [".lumiveil-prefix-ready"], "the prefix was used")

    def test_a_silent_wine_failure_is_said_by_the_wrapper(self):
        # A program that ends at once with status 1 and says nothing, as one that Wine
        # could not start properly does: the wrapper names the status, once.
        silent = os.path.join(harness.arch_dir(), "silent_exit.exe")
        completed = subprocess.run([harness.TOOL, "--exe", silent, "--", "info"],
                                   env=dict(os.environ, DISPLAY=harness.ensure_display()),
                                   stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
                                   stderr=subprocess.PIPE, timeout=180)
        said = completed.stderr.decode("latin-1")
        self.assertEqual(completed.returncode, 1, said)
        self.assertEqual(said.count("without saying why"), 1, said)
        self.assertIn("plughost ended with status 1", said)

    # --- the Continue protocol ----------------------------------------------------------

    def test_continue_calls_get_each_requested_strip(self):
        image = random_image(15, 22)
        out = self.path("out.png")
        run = self.run_host(["run", probe_path(), "--in", self.write_input(image), "--out", out],
                            probe="mode=continue strip=8")
        self.assertEqual(run.returncode, EXIT_OK, run.report())
        self.assertEqual(run.selectors(), ["parameters", "prepare", "start", "continue",
                                           "continue", "continue", "finish"])
        self.assertEqual([d["out"] for d in run.records("deliver")],
                         [(0, 0, 8, 15), (8, 0, 16, 15), (16, 0, 22, 15)])
        self.assertImagesEqual(read_png(out), image)

    def test_a_module_that_never_empties_its_rects_is_stopped(self):
        run = self.run_host(["run", probe_path(), "--in", "pattern:8x4"], probe="mode=forever strip=1")
        self.assertEqual(run.returncode, EXIT_VIOLATION, run.report())
        self.assertEqual(run.selectors()[-1], "finish")
        self.assertIn("without emptying", run.stdout)

    # --- abort and advanceState failures ---------------------------------------------------

    def test_abort_answers_true_from_the_nth_call(self):
        image = random_image(10, 12)
        out = self.path("out.png")
        run = self.run_host(["run", probe_path(), "--in", self.write_input(image), "--out", out,
                             "--abort-at", "2"], probe="mode=invert strip=4")
        self.assertEqual(run.returncode, EXIT_SELECTOR_FAILED, run.report())
        self.assertEqual(run.result("start"), 1)
        self.assertIsNone(run.result("finish"))
        self.assertEqual([r.result for r in run.records("abort")], [0, 1])
        self.assertEqual(len(run.records("advance")), 1)
        expected = image.copy()
        for y in range(4):
            for x in range(10):
                expected.set_pixel(x, y, [255 - v for v in image.pixel(x, y)])
        self.assertImagesEqual(read_png(out), expected, "the first strip stays written")

    def test_fail_advance_returns_the_code_without_delivering(self):
        image = random_image(10, 12)
        out = self.path("out.png")
        run = self.run_host(["run", probe_path(), "--in", self.write_input(image), "--out", out,
                             "--fail-advance", "3:-108"], probe="mode=invert strip=4")
        self.assertEqual(run.result("start"), MEM_FULL_ERR, run.report())
        self.assertEqual([a.result for a in run.records("advance")], [0, 0, MEM_FULL_ERR])
        expected = image.copy()
        for y in range(8):
            for x in range(10):
                expected.set_pixel(x, y, [255 - v for v in image.pixel(x, y)])
        self.assertImagesEqual(read_png(out), expected, "two strips written, the third not")

    def test_result_codes_are_printed_and_fail_the_exit_status(self):
        run = self.run_host(["run", probe_path(), "--in", "pattern:8x8"], probe="mode=fail code=-30101")
        self.assertEqual(run.returncode, EXIT_SELECTOR_FAILED, run.report())
        self.assertEqual(run.results, [("parameters", 0), ("prepare", 0), ("start", -30101)])

    # --- handles and parameters ---------------------------------------------------------

    def test_handle_procs_work_and_are_traced(self):
        dump = self.path("dump.txt")
        run = self.run_host(["run", probe_path(), "--in", "pattern:8x8"],
                            probe="mode=handles dump=%s" % wine_path(dump))
        self.assertEqual(run.returncode, EXIT_OK, run.report())
        with open(dump) as f:
            self.assertEqual(f.read().split(), ["size=100", "setsize=0", "grown=200", "kept=yes"])
        handles = [r.line for r in run.records("handle")]
        self.assertEqual(handles[:4], ["handle new 100 -> h1", "handle lock h1 moveHigh=1 -> ok",
                                       "handle unlock h1", "handle size h1 -> 100"])
        self.assertIn("handle setsize h1 200 -> 0", handles)
        self.assertIn("handle dispose h1", handles)
        self.assertIn("handle disposeregular h2", handles)
        self.assertIn("handle recover 1024", handles)

        zero = self.run_host(["run", probe_path(), "--in", "pattern:8x8", "--handle-procs", "zero-size"],
                             probe="mode=handles dump=%s" % wine_path(self.path("zero.txt")))
        self.assertEqual(zero.returncode, EXIT_OK, zero.report())
        with open(self.path("zero.txt")) as f:
            self.assertEqual(f.read().split(), ["size=0", "setsize=0", "grown=0", "kept=yes"])

    def test_params_file_round_trips_in_every_handle_mode(self):
        # The form the module makes, and whether a second process loads the file again.
        modes = {"host": ("host", True), "none": ("global", True), "zero-size": ("host", False),
                 "version2": ("global", False), "five": ("global", False),
                 "no-getsize": ("global", False)}
        for mode, (form, reload) in modes.items():
            params = self.path("params-%s.bin" % mode)
            dump = self.path("params-%s.txt" % mode)
            probe = "mode=params dump=%s" % wine_path(dump)
            first = self.run_host(["run", probe_path(), "--in", "pattern:8x8", "--params", params,
                                   "--handle-procs", mode, "--then", "repeat"], probe=probe)
            self.assertEqual(first.returncode, EXIT_OK, first.report())
            self.assertEqual(first.selectors(), ["parameters", "prepare", "start", "finish",
                                                 "prepare", "start", "finish"])
            self.assertEqual(first.records("record")[-1]["parameters"],
                             "h1" if form == "host" else "global", mode)
            with open(params, "rb") as f:
                self.assertEqual(f.read(), b"PBRP" + bytes([2, 0, 0, 0]), mode)
            expected = ["parameters", "usable=" + form, "count=1", "count=2"]
            if reload:
                second = self.run_host(["run", probe_path(), "--in", "pattern:8x8", "--params",
                                        params, "--handle-procs", mode, "--repeat"], probe=probe)
                self.assertEqual(second.returncode, EXIT_OK, second.report())
                self.assertEqual(second.records("record")[0]["parameters"],
                                 "h1" if form == "host" else "global", mode)
                with open(params, "rb") as f:
                    self.assertEqual(f.read(), b"PBRP" + bytes([3, 0, 0, 0]), mode)
                expected.append("count=3")
            with open(dump) as f:
                self.assertEqual(f.read().split(), expected, mode)

    def test_a_null_parameters_handle_removes_the_params_file(self):
        params = self.path("params.bin")
        with open(params, "wb") as f:
            f.write(b"PBRP" + bytes(4))
        run = self.run_host(["run", probe_path(), "--in", "pattern:8x8", "--params", params, "--repeat"],
                            probe="mode=params-null")
        self.assertEqual(run.returncode, EXIT_OK, run.report())
        self.assertFalse(os.path.exists(params))
        self.assertEqual(run.records("record")[-1]["parameters"], "null")

    # --- key state, Windows folder, display, About -------------------------------------

    def test_alt_key_and_windows_folder_are_answered_by_the_host(self):
        folder = self.path("windir")
        dump = self.path("keys.txt")
        probe = "mode=keys dump=%s" % wine_path(dump)
        run = self.run_host(["run", probe_path(), "--in", "pattern:8x8", "--alt", "--windows-dir", folder],
                            probe=probe)
        self.assertEqual(run.returncode, EXIT_OK, run.report())
        plain = self.run_host(["run", probe_path(), "--in", "pattern:8x8", "--windows-dir", "none"],
                              probe=probe)
        self.assertEqual(plain.returncode, EXIT_OK, plain.report())
        with open(dump) as f:
            lines = f.read().splitlines()
        self.assertEqual(lines, ["alt=0x8000 windir=%s length=%d" % (wine_path(folder), len(wine_path(folder))),
                                 "alt=0x0000 windir= length=0"])
        self.assertEqual([r.line for r in run.records("getasynckeystate")], ["getasynckeystate 0x12 -> 0x8000"])
        self.assertEqual([r.line for r in plain.records("getwindowsdirectory")], ["getwindowsdirectory -> 0"])

    def test_display_pixels_draws_and_dumps_the_source_rectangle(self):
        image = random_image(30, 21)
        shown = self.path("shown.png")
        run = self.run_host(["run", probe_path(), "--in", self.write_input(image),
                             "--dump-display", shown], probe="mode=display rate=2")
        self.assertEqual(run.returncode, EXIT_OK, run.report())
        display = run.records("display")
        self.assertEqual(len(display), 1, run.trace)
        self.assertEqual(display[0]["bounds"], (0, 0, 11, 15))
        self.assertEqual(display[0]["version"], 1)
        expected = Image(15, 11, 3, b"".join(sampled(image, 2, 0, 0, 11, 15, (0, 1, 2))))
        self.assertImagesEqual(read_png(shown), expected)

    def test_about_gets_a_real_owner_window(self):
        dump = self.path("about.txt")
        probe = "mode=nothing dump=%s" % wine_path(dump)
        run = self.run_host(["about", probe_path(), "--host-window", "640x480"], probe=probe)
        self.assertEqual(run.returncode, EXIT_OK, run.report())
        self.assertEqual(run.results, [("about", 0)])
        self.assertRegex(run.stdout, r"host window: client origin -?\d+,-?\d+ size 640x480")
        for option, owner in (("--no-hwnd", "null"), ("--no-platform-data", "none")):
            other = self.run_host(["about", probe_path(), option], probe=probe)
            self.assertEqual(other.returncode, EXIT_OK, other.report())
        with open(dump) as f:
            self.assertEqual(f.read().split(), ["about", "owner=window", "about", "owner=null",
                                                "about", "owner=none"])

    # --- the record ----------------------------------------------------------------------

    def test_mask_fields_start_at_recognisable_values(self):
        run = self.run_host(["run", probe_path(), "--in", "pattern:8x8", "--mask"], probe="mode=nothing")
        self.assertEqual(run.returncode, EXIT_OK, run.report())
        for record in run.records("record"):
            self.assertEqual(record["maskRect"], MASK_RECT_SENTINEL)
            self.assertEqual(record["maskPad"], MASK_PADDING_SENTINEL)
        plain = self.run_host(["run", probe_path(), "--in", "pattern:8x8"], probe="mode=nothing")
        self.assertEqual(plain.records("record")[0]["maskPad"], -3)

    def test_mask_data_is_the_ellipse_of_the_selection(self):
        image = random_image(12, 10)
        run, deliveries = self.dump_run(image, "mask=0,0,10,12", ["--mask"])
        rect, row_bytes, planes, rows = deliveries[0]["buffers"]["mask"]
        self.assertEqual(rect, (0, 0, 10, 12))
        for y, row in enumerate(rows):
            for x, value in enumerate(row):
                dx, dy = 2 * x + 1 - 12, 2 * y + 1 - 10
                inside = dx * dx * 100 + dy * dy * 144 <= 144 * 100
                self.assertEqual(value, 255 if inside else 0, (x, y))

    def test_time_reports_start_callbacks_and_module(self):
        run = self.run_host(["run", probe_path(), "--in", "pattern:64x64", "--time"], probe="mode=copy")
        self.assertEqual(run.returncode, EXIT_OK, run.report())
        times = run.lines("time:")
        self.assertEqual(len(times), 1, run.report())
        match = re.match(r"^start ([\d.]+) ms, callbacks ([\d.]+) ms, module (-?[\d.]+) ms$", times[0])
        self.assertIsNotNone(match, times[0])
        start, callbacks, module = (float(v) for v in match.groups())
        self.assertAlmostEqual(start, callbacks + module, delta=0.2)

    # --- call: one selector, and what it changed -------------------------------------

    def test_call_reports_the_result_and_an_untouched_record_for_unknown_selectors(self):
        for selector in ("6", "32767", "-1", "-32768"):
            with self.subTest(selector=selector):
                run = self.run_host(["call", probe_path(), selector, "--in", "pattern:40x30"],
                                    probe="mode=copy")
                self.assertEqual(run.returncode, EXIT_SELECTOR_FAILED, run.report())
                self.assertEqual(run.results, [(selector, -30100)])
                self.assertEqual(run.lines("record:"), ["unchanged"])
                self.assertEqual(run.lines("data:"), ["unchanged"])
                self.assertEqual([(r.words, r.result) for r in run.records("selector")],
                                 [([selector], None), ([selector], -30100)])

    def test_call_names_the_record_bytes_and_data_slot_a_module_changed(self):
        run = self.run_host(["call", probe_path(), "6", "--in", "pattern:40x30"],
                            probe="mode=scribble")
        self.assertEqual(run.returncode, EXIT_SELECTOR_FAILED, run.report())
        changed = run.lines("record:")
        self.assertEqual(len(changed), 1, run.report())
        self.assertTrue(changed[0].startswith("changed bytes "), run.report())
        offsets = [int(v) for v in changed[0].split()[2:]]
        # bufferSpace = 4242 (0x1092) changes its two low bytes only.
        self.assertEqual(len(offsets), 2, run.report())
        self.assertEqual(offsets[1], offsets[0] + 1, run.report())
        self.assertEqual(run.lines("data:"), ["changed 0x0 -> 0x5C5C"])

    def test_call_of_a_known_selector_works_like_in_a_run(self):
        run = self.run_host(["call", probe_path(), "2", "--in", "pattern:40x30"], probe="mode=copy")
        self.assertEqual(run.returncode, EXIT_OK, run.report())
        self.assertEqual(run.results, [("prepare", 0)])
        self.assertEqual(run.lines("record:"), ["unchanged"])

    def test_call_refuses_a_selector_beyond_16_bits(self):
        for selector in ("32768", "-32769", "x"):
            run = self.run_host(["call", probe_path(), selector])
            self.assertEqual(run.returncode, EXIT_HOST_ERROR, run.report())
            self.assertIn("bad selector", run.stderr)

    def test_force_continue_calls_continue_once_after_start_emptied_the_rects(self):
        image = random_image(20, 18)
        out = self.path("out.png")
        args = ["run", probe_path(), "--in", self.write_input(image), "--out", out]
        plain = self.run_host(args, probe="mode=copy")
        self.assertEqual(plain.selectors(), ["parameters", "prepare", "start", "finish"])
        run = self.run_host(args + ["--force-continue"], probe="mode=copy")
        self.assertEqual(run.returncode, EXIT_OK, run.report())
        self.assertEqual(run.results, [("parameters", 0), ("prepare", 0), ("start", 0),
                                       ("continue", 0), ("finish", 0)])
        self.assertEqual([r.words[0] for r in run.records("selector") if r.result is not None],
                         ["parameters", "prepare", "start", "continue", "finish"])
        self.assertEqual(run.records("record")[3]["outRect"], (0, 0, 0, 0))
        self.assertImagesEqual(read_png(out), image)

    # --- selections, planes, callbacks, sizes ------------------------------------------

    def test_an_empty_rect_is_handed_over_and_one_outside_the_image_refused(self):
        image = random_image(40, 30)
        for rect in ("10,0,10,40", "0,5,30,5", "30,40,30,40"):
            with self.subTest(rect=rect):
                out = self.path("out.png")
                run = self.run_host(["run", probe_path(), "--in", self.write_input(image),
                                     "--rect", rect, "--out", out], probe="mode=copy")
                self.assertEqual(run.returncode, EXIT_OK, run.report())
                self.assertEqual(run.result("start"), 0)
                for advance in run.records("advance"):
                    top, left, bottom, right = advance["out"]
                    self.assertTrue(bottom <= top or right <= left, "an empty strip: %r" % advance)
                self.assertImagesEqual(read_png(out), image)
        for rect in ("0,0,31,40", "0,0,30,41", "-1,0,5,5", "10,0,5,40", "0,10,30,5"):
            with self.subTest(rect=rect):
                run = self.run_host(["run", probe_path(), "--rect", rect, "--in", "pattern:40x30"],
                                    probe="mode=copy")
                self.assertEqual(run.returncode, EXIT_HOST_ERROR, run.report())
                self.assertIn("not a rectangle inside the image", run.stderr)

    def test_planes_one_to_eight_are_delivered_with_deterministic_extra_planes(self):
        for planes in (1, 2, 5, 8):
            with self.subTest(planes=planes):
                dump = self.path("dump-planes-%d.txt" % planes)
                run = self.run_host(["run", probe_path(), "--in", "pattern:9x7", "--planes",
                                     str(planes)],
                                    probe="mode=dump dump=%s in=0,0,7,9" % wine_path(dump))
                self.assertEqual(run.returncode, EXIT_OK, run.report())
                self.assertEqual(run.records("advance")[0]["inPlanes"], "0-%d" % (planes - 1))
                rect, _, got_planes, rows = parse_dump(dump)[0]["buffers"]["in"]
                self.assertEqual(got_planes, planes)
                for y, row in enumerate(rows):
                    for x in range(9):
                        pixel = row[x * planes:(x + 1) * planes]
                        for p in range(3, planes):
                            self.assertEqual(pixel[p], (alpha_pattern(x, y) + 41 * (p - 3)) & 0xFF,
                                             "plane %d at %d,%d" % (p, x, y))
        for bad in ("0", "9"):
            run = self.run_host(["run", probe_path(), "--planes", bad], probe="mode=copy")
            self.assertEqual(run.returncode, EXIT_HOST_ERROR, run.report())

    def test_one_plane_copies_through_as_grey(self):
        out = self.path("out.png")
        run = self.run_host(["run", probe_path(), "--in", "pattern:16x12", "--planes", "1",
                             "--out", out], probe="mode=copy")
        self.assertEqual(run.returncode, EXIT_OK, run.report())
        result = read_png(out)
        self.assertEqual(result.channels, 1)
        pattern = self.pattern_image(16, 12)
        self.assertEqual(bytes(result.data), bytes(pattern.data[0::3]))

    def test_no_progress_and_no_abort_leave_the_procs_null(self):
        image = random_image(20, 40)
        run = self.run_host(["run", probe_path(), "--in", self.write_input(image),
                             "--no-progress", "--no-abort", "--abort-at", "1"],
                            probe="mode=copy strip=16")
        self.assertEqual(run.returncode, EXIT_OK, run.report())
        self.assertEqual(run.records("progress"), [])
        self.assertEqual(run.records("abort"), [])
        self.assertEqual(len(run.records("advance")), 3, "no abort: every strip is filtered")
        with_procs = self.run_host(["run", probe_path(), "--in", self.write_input(image)],
                                   probe="mode=copy strip=16")
        self.assertEqual(len(with_procs.records("progress")), 3)
        self.assertEqual(len(with_procs.records("abort")), 3)

    def test_a_32000_pixel_wide_strip_is_filtered(self):
        out = self.path("wide.png")
        run = self.run_host(["run", probe_path(), "--in", "pattern:32000x20", "--out", out],
                            probe="mode=invert strip=16")
        self.assertEqual(run.returncode, EXIT_OK, run.report())
        self.assertEqual([a["out"] for a in run.records("advance")],
                         [(0, 0, 16, 32000), (16, 0, 20, 32000)])
        result = read_png(out)
        self.assertEqual((result.width, result.height), (32000, 20))
        pattern = self.pattern_image(32000, 20)
        self.assertEqual(bytes(result.data), bytes(255 - v for v in pattern.data))
        edge = self.run_host(["run", probe_path(), "--in", "pattern:32767x1"], probe="mode=copy")
        self.assertEqual(edge.returncode, EXIT_OK, edge.report())
        beyond = self.run_host(["run", probe_path(), "--in", "pattern:32768x1"], probe="mode=copy")
        self.assertEqual(beyond.returncode, EXIT_HOST_ERROR, beyond.report())

    def test_outrect_follows_the_input_rate_unless_overridden(self):
        image = random_image(40, 30)
        select = ["--rect", "20,20,30,40"]
        # rate 2: the sampled image is 15 x 20; outRect lies outside filterRect.
        run, deliveries = self.dump_run(image, "rate=2 out=0,0,15,20", select)
        self.assertEqual(deliveries[0]["line"].split()[2], "0", run.report())
        self.assertEqual(deliveries[0]["buffers"]["out"][0], (0, 0, 15, 20))
        for probe, extra in (("rate=2 out=0,0,16,20", []),      # one row beyond ceil(30 / 2)
                             ("rate=1 out=0,0,15,20", []),      # rate 1: filterRect
                             ("rate=2 out=0,0,15,20", ["--out-rect-bounds", "filter"])):
            with self.subTest(probe=probe, extra=extra):
                run, deliveries = self.dump_run(image, probe, select + extra,
                                                expect=EXIT_SELECTOR_FAILED)
                self.assertEqual(deliveries[0]["line"].split()[2], str(PARAM_ERR), run.report())
                self.assertTrue(any("outRect" in n.line for n in run.records("note")), run.report())
        run, deliveries = self.dump_run(image, "rate=1 out=0,0,15,20",
                                        select + ["--out-rect-bounds", "image"])
        self.assertEqual(deliveries[0]["line"].split()[2], "0", run.report())

    # --- About ----------------------------------------------------------------------

    def test_about_prints_the_outer_rect_and_opens_the_box_n_times(self):
        dump = self.path("about.txt")
        run = self.run_host(["about", probe_path(), "--runs", "3", "--window-pos", "40,30",
                             "--host-window", "640x480"],
                            probe="mode=nothing dump=%s" % wine_path(dump))
        self.assertEqual(run.returncode, EXIT_OK, run.report())
        self.assertEqual(run.results, [("about", 0)] * 3)
        self.assertEqual(run.lines("about:"), ["1", "2", "3"])
        outer = run.lines("host window: outer rect")
        self.assertEqual(len(outer), 1, run.report())
        left, top, right, bottom = (int(v) for v in outer[0].split()[0].split(","))
        self.assertEqual((left, top), (40, 30))
        self.assertGreaterEqual(right - left, 640)
        self.assertGreaterEqual(bottom - top, 480)
        origin = re.search(r"client origin (-?\d+),(-?\d+)", run.stdout)
        x, y = int(origin.group(1)), int(origin.group(2))
        self.assertTrue(left <= x < right and top <= y < bottom, run.report())
        with open(dump) as f:
            self.assertEqual(f.read().split(), ["about", "owner=window"] * 3)

    def test_count_gdi_counts_nothing_for_a_module_that_makes_no_objects(self):
        run = self.run_host(["run", probe_path(), "--in", "pattern:16x16", "--count-gdi"],
                            probe="mode=copy")
        self.assertEqual(run.returncode, EXIT_OK, run.report())
        self.assertEqual(run.lines("gdi:"), ["created 0 deleted 0 alive 0"])
        plain = self.run_host(["run", probe_path(), "--in", "pattern:16x16"], probe="mode=copy")
        self.assertEqual(plain.lines("gdi:"), [])

    def test_outputs_are_read_without_carriage_returns(self):
        run = self.run_host(["call", probe_path(), "6"], probe="mode=copy")
        self.assertNotIn("\r", run.stdout)
        self.assertNotIn("\r", run.stderr)


class PngTests(unittest.TestCase):
    """The harness's PNG codec, which the pixel checks above rely on."""

    def test_every_row_filter_round_trips(self):
        for channels in (3, 4):
            image = random_image(17, 9, channels, seed=channels)
            for row_filter in range(5):
                decoded = pngio.decode_png(pngio.encode_png(image, row_filter))
                self.assertEqual(decoded, image, "filter %d, %d channels" % (row_filter, channels))

    def test_differences_are_located(self):
        a = random_image(4, 3)
        b = a.copy()
        b.data[b.offset(2, 1) + 1] ^= 0x10
        self.assertEqual(pngio.difference(a, b), (0x10, 1, (2, 1, 1)))
        self.assertEqual(pngio.describe_difference(a, a), "")


if __name__ == "__main__":
    harness.main()
