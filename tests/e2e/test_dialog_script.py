"""Dialog scripts (plughost --do) against the dialog probe, ProbeDialog.8bf.

The probe's Start shows a modal dialog with every kind of control a script drives and
appends what it saw to the file named by PROBE_DIALOG_REPORT ("key=value" lines: the
dialog's result, the edit text, the trackbar positions, the notifications in order);
its About shows a picture box and reports what closed it. Each test runs plughost
under Wine and checks the probe's report, plughost's output and exit status, the
files the file dialogs produced, and screenshots.

    LUMIVEIL_ARCH=win32|win64 LUMIVEIL_BUILD=<folder holding win32/ and win64/> \\
        python3 tests/e2e/test_dialog_script.py

The runs use a Wine prefix of their own per width, beside the one the other tests use:
the scripts check the keyboard focus, which a dialog of another test process in the
same prefix could take.
"""

import os
import re
import shutil
import tempfile
import unittest

os.environ["LUMIVEIL_WINEPREFIX"] = (
    os.environ.get("LUMIVEIL_WINEPREFIX") or os.path.join(
        tempfile.gettempdir(), "lumiveil-wine-" + os.environ.get("LUMIVEIL_ARCH", "win32"))
) + "-dialog-script"

from harness import (ARCH, EXIT_HOST_ERROR, EXIT_OK, EXIT_SELECTOR_FAILED,  # noqa: E402
                     HostTestCase, arch_runnable, main, plughost_exe, probe_path, read_png,
                     run_plughost, time_scale, wine_path)

PROBE = probe_path("ProbeDialog.8bf")

# Probe controls (tests/probes/dialog/probe_ids.h).
OPEN_BUTTON = 3
SAVE_BUTTON = 4
CHECK_BOX = 6
SLIDER = 101
VERTICAL_SLIDER = 102
EDIT = 201
MIRROR = 301
OPENED = 302
SAVED = 303
PICTURE = 401
ABOUT_PICTURE = 501
HIDDEN = 403

# Trackbar notification codes as the probe records them.
TB_LINEDOWN = "1"
TB_THUMBPOSITION = "4"
TB_THUMBTRACK = "5"
TB_BOTTOM = "7"
TB_ENDTRACK = "8"

# Colours the probe draws (probe_pictures.cpp, probe_dialog.cpp, probe_about.cpp).
PICTURE_GREEN = (0, 160, 80)
ABOUT_BLUE = (40, 60, 200)
PREVIEW_RED = 255  # every preview pixel has red 255; green and blue vary

SAVED_CONTENT = b"saved by the dialog probe\r\n"

RUN_TIMEOUT_MS = 20000  # plughost's watchdog; the script's own waits give up at half
PROCESS_TIMEOUT_S = 300

# A width whose Wine start takes longer than this (the 32-bit loader emulated on a
# kernel without 32-bit support) gets the one combined run only.
def colours_of(image):
    """The set of RGB colours in an image."""
    step = image.channels
    data = bytes(image.data)
    return {data[at:at + 3] for at in range(0, len(data), step)}


# ---------------------------------------------------------------------------
# Running the probe.

class ProbeRun:
    """A plughost run on the probe: the host's result and the probe's report."""

    def __init__(self, result, report_lines):
        self.result = result
        self.status = result.returncode
        self.output = result.stdout
        self.report_lines = report_lines
        self.report = dict(line.split("=", 1) for line in report_lines if "=" in line)

    def describe(self):
        return "%s--- probe report\n%s" % (self.result.report(), "\n".join(self.report_lines))


def run_probe(folder, steps, command="run", extra_env=None, timeout_ms=RUN_TIMEOUT_MS,
              extra_args=()):
    """plughost run (or about) on the probe with the steps; the probe reports into a
    file of the folder."""
    report = os.path.join(folder, "report.txt")
    env = {"PROBE_DIALOG_REPORT": wine_path(report)}
    env.update(extra_env or {})
    arguments = [command, PROBE]
    if command == "run":
        arguments += ["--in", "pattern:64x48", "--out", os.path.join(folder, "out.png")]
    arguments += ["--timeout", str(timeout_ms), "--do", steps] + list(extra_args)
    result = run_plughost(arguments, env=env, timeout=PROCESS_TIMEOUT_S)
    lines = []
    if os.path.exists(report):
        with open(report) as f:
            lines = f.read().splitlines()
        os.remove(report)
    return ProbeRun(result, lines)


# One run that uses most step kinds at once, beside the runs for one behaviour each.
COMBINED = {}


def combined_steps(folder):
    chosen = os.path.join(folder, "chosen.prm")
    saved = os.path.join(folder, "saved.prm")
    shot = os.path.join(folder, "combined.png")
    with open(chosen, "wb") as f:
        f.write(b"x")
    COMBINED.update(chosen=chosen, saved=saved, shot=shot)
    return ("expect-focus %d; expect-selected %d; expect-default 1; type %d combined; "
            "drag %d 30; key %d home; check %d 1; click %d; expect-field %d combined; "
            "expect-slider %d 30; expect-check %d 1; print-slider %d; shot %s; "
            "click %d; open-file %s; expect-field %d %s; save-file %s; click %d; press enter"
            % (EDIT, EDIT, EDIT, SLIDER, VERTICAL_SLIDER, CHECK_BOX, PICTURE, EDIT, SLIDER,
               CHECK_BOX, SLIDER, shot, OPEN_BUTTON, chosen, OPENED, wine_path(chosen),
               saved, SAVE_BUTTON))


def setUpModule():
    runnable, reason = arch_runnable()
    if not runnable:
        raise unittest.SkipTest(reason)
    for path in (plughost_exe(), PROBE):
        if not os.path.exists(path):
            raise AssertionError("not built: " + path)
    folder = tempfile.mkdtemp(prefix="dialog-script-")
    unittest.addModuleCleanup(shutil.rmtree, folder, ignore_errors=True)
    run = run_probe(folder, combined_steps(folder))
    COMBINED["run"] = run


class CombinedRunTest(HostTestCase):
    def test_every_kind_of_step_works_in_one_run(self):
        run = COMBINED["run"]
        self.assertEqual(run.status, EXIT_OK, run.describe())
        report = run.report
        self.assertEqual(report["result"], "ok")
        self.assertEqual(report["edit"], "combined")
        self.assertEqual(report["slider101"], "30")
        self.assertEqual(report["mirror"], "30")
        self.assertEqual(report["slider102"], "0", "Home takes a vertical trackbar to 0")
        self.assertEqual(report["check6"], "1")
        self.assertEqual(report["stnclicked401"], "1")
        self.assertEqual(report["open"], wine_path(COMBINED["chosen"]))
        self.assertEqual(report["save"], wine_path(COMBINED["saved"]))
        with open(COMBINED["saved"], "rb") as f:
            self.assertEqual(f.read(), SAVED_CONTENT)
        self.assertIn("slider 101: 30\n", run.output)
        colours = colours_of(read_png(COMBINED["shot"]))
        self.assertIn(bytes(PICTURE_GREEN), colours, "the probe's picture is missing")
        self.assertGreater(len({c for c in colours if c[0] == PREVIEW_RED}), 100,
                           "the preview drawn by displayPixels is missing")


class DialogScriptTest(HostTestCase):
    def run_probe(self, steps, command="run", extra_env=None, timeout_ms=RUN_TIMEOUT_MS,
                  extra_args=()):
        return run_probe(self.tmp, steps, command, extra_env, timeout_ms, extra_args)

    def assert_succeeds(self, run):
        self.assertEqual(run.status, EXIT_OK, run.describe())

    def assert_fails_with(self, run, message):
        self.assertEqual(run.status, EXIT_SELECTOR_FAILED, run.describe())
        self.assertIn(message, run.output, run.describe())
        # A failed script is said on stderr too, once, for whoever reads only that.
        self.assertEqual(run.result.stderr.count("plughost: "), 1, run.describe())
        self.assertIn(message, run.result.stderr, run.describe())

    # -- typing ------------------------------------------------------------

    def test_type_replaces_the_text_one_character_at_a_time(self):
        run = self.run_probe("type %d hello; expect-field %d hello; click 1" % (EDIT, EDIT))
        self.assert_succeeds(run)
        self.assertEqual(run.report["edit"], "hello")
        self.assertEqual(run.report["enchange201"], "5", run.describe())

    def test_type_without_text_empties_the_field_with_one_change(self):
        for steps in ('type %d ""' % EDIT, "type %d" % EDIT):
            with self.subTest(steps=steps):
                run = self.run_probe('%s; expect-field %d ""; click 1' % (steps, EDIT))
                self.assert_succeeds(run)
                self.assertEqual(run.report["edit"], "")
                self.assertEqual(run.report["enchange201"], "1", run.describe())

    def test_typed_text_with_blanks_and_semicolons_is_quoted(self):
        run = self.run_probe('type %d "a b;c"; expect-field %d "a b;c"; click 1' % (EDIT, EDIT))
        self.assert_succeeds(run)
        self.assertEqual(run.report["edit"], "a b;c")

    # -- trackbars -----------------------------------------------------------

    def test_drag_sends_thumb_track_then_thumb_position_then_end_track(self):
        run = self.run_probe("drag %d 80; expect-slider %d 80; expect-field %d 80; click 1"
                             % (SLIDER, SLIDER, MIRROR))
        self.assert_succeeds(run)
        codes = run.report["scroll101"].split(",")
        self.assertEqual(codes[-2:], [TB_THUMBPOSITION, TB_ENDTRACK], run.describe())
        self.assertGreaterEqual(len(codes), 4, "a drag passes through intermediate positions")
        self.assertEqual(set(codes[:-2]), {TB_THUMBTRACK})
        self.assertEqual(run.report["slider101"], "80")
        self.assertEqual(run.report["mirror"], "80", "the notification carries the position")
        self.assertEqual(run.report["scroll102"], "")

    def test_drag_on_a_vertical_trackbar_scrolls_vertically(self):
        run = self.run_probe("drag %d 20; expect-slider %d 20; click 1"
                             % (VERTICAL_SLIDER, VERTICAL_SLIDER))
        self.assert_succeeds(run)
        self.assertEqual(run.report["scroll102"].split(",")[-2:], [TB_THUMBPOSITION, TB_ENDTRACK])
        self.assertEqual(run.report["scroll101"], "", "WM_HSCROLL was sent for a vertical bar")
        self.assertEqual(run.report["mirror"], "")

    def test_drag_beyond_the_range_fails(self):
        run = self.run_probe("drag %d 150" % SLIDER)
        self.assert_fails_with(run, 'step 1 "drag 101 150": the thumb cannot reach 150')

    def test_keys_move_the_thumb_with_line_and_end_notifications_only(self):
        run = self.run_probe("key %d right; key %d end; expect-slider %d 100; expect-focus %d; "
                             "click 1" % (SLIDER, SLIDER, SLIDER, SLIDER))
        self.assert_succeeds(run)
        self.assertEqual(run.report["scroll101"].split(","),
                         [TB_LINEDOWN, TB_ENDTRACK, TB_BOTTOM, TB_ENDTRACK], run.describe())
        self.assertEqual(run.report["mirror"], "", "keys send no thumb notifications")
        self.assertEqual(run.report["slider101"], "100")

    # -- buttons, check boxes, statics, keys to the dialog -------------------

    def test_ways_to_end_the_dialog(self):
        cases = [
            ("click 1", "ok", EXIT_OK),
            ("click 2", "cancel", EXIT_SELECTOR_FAILED),  # Start returns 1 on cancel
            ("press enter", "ok", EXIT_OK),
            ("press escape", "cancel", EXIT_SELECTOR_FAILED),
        ]
        for steps, result, status in cases:
            with self.subTest(steps=steps):
                run = self.run_probe(steps)
                self.assertEqual(run.report.get("result"), result, run.describe())
                self.assertEqual(run.status, status, run.describe())

    def test_enter_after_typing_presses_the_default_button(self):
        run = self.run_probe("type %d typed; press enter" % EDIT)
        self.assert_succeeds(run)
        self.assertEqual(run.report["result"], "ok")
        self.assertEqual(run.report["edit"], "typed")

    def test_check_clicks_only_when_the_state_differs(self):
        run = self.run_probe("check %d 1; check %d 1; expect-check %d 1; check %d 0; "
                             "expect-check %d 0; click 1" % ((CHECK_BOX,) * 5))
        self.assert_succeeds(run)
        self.assertEqual(run.report["clicked6"], "2", run.describe())
        self.assertEqual(run.report["check6"], "0")

    def test_click_on_a_notifying_static_sends_stn_clicked(self):
        run = self.run_probe("click %d; click %d; click 1" % (PICTURE, PICTURE))
        self.assert_succeeds(run)
        self.assertEqual(run.report["stnclicked401"], "2", run.describe())

    def test_click_on_a_missing_or_hidden_control_fails(self):
        cases = [
            ("click 999", 'step 1 "click 999": there is no control 999 in the dialog '
                          '"Probe Dialog"'),
            ("click %d" % HIDDEN, 'step 1 "click 403": control 403 (Static "hidden") is hidden'),
        ]
        for steps, message in cases:
            with self.subTest(steps=steps):
                self.assert_fails_with(self.run_probe(steps), message)

    # -- expectations --------------------------------------------------------

    def test_expectations_that_hold_let_the_run_succeed(self):
        run = self.run_probe("expect-focus %d; expect-selected %d; expect-default 1; "
                             "expect-field %d start; expect-slider %d 50; expect-check %d 0; "
                             "expect-visible %d 0; expect-visible %d 1; click 1"
                             % (EDIT, EDIT, EDIT, SLIDER, CHECK_BOX, HIDDEN, EDIT))
        self.assert_succeeds(run)

    def test_failed_expectations_name_the_step_the_expected_and_the_found_value(self):
        cases = [
            ("expect-field 201 nope", 'step 1 "expect-field 201 nope": expected "nope", '
                                      'found "start"'),
            ("expect-slider 101 7", 'step 1 "expect-slider 101 7": expected 7, found 50'),
            ("expect-check 6 1", 'step 1 "expect-check 6 1": expected 1, found 0'),
            ("expect-visible 403 1", 'step 1 "expect-visible 403 1": expected 1, found 0'),
            ("expect-focus 1", 'step 1 "expect-focus 1": expected the focus on control 1 '
                               '(Button "OK"), found the focus on control 201 (Edit "start")'),
            ("expect-default 2", 'step 1 "expect-default 2": expected control 2 '
                                 '(Button "Cancel") to be the default button, found control 1 '
                                 '(Button "OK")'),
            ("type 201 abc; expect-selected 201",
             'step 2 "expect-selected 201": expected the whole text "abc" of control 201 '
             '(Edit "abc") selected, found nothing selected (the caret at 3)'),
        ]
        for steps, message in cases:
            with self.subTest(steps=steps):
                run = self.run_probe(steps + "; click 1")
                self.assert_fails_with(run, message)
                # The script stops at the failure and cancels the dialog, so the run ends.
                self.assertEqual(run.report.get("result"), "cancel", run.describe())

    # -- printing ------------------------------------------------------------

    def test_prints_report_the_window_fields_sliders_and_gdi_count(self):
        run = self.run_probe("print-window; type %d 42; print-field %d; drag %d 30; "
                             "print-slider %d; gdi-count; click 1" % (EDIT, EDIT, SLIDER, SLIDER))
        self.assert_succeeds(run)
        window = re.search(r"^window: x=(-?\d+) y=(-?\d+) w=(\d+) h=(\d+) "
                           r"client: x=(-?\d+) y=(-?\d+) w=(\d+) h=(\d+)$", run.output, re.M)
        self.assertIsNotNone(window, run.describe())
        x, y, w, h, cx, cy, cw, ch = map(int, window.groups())
        self.assertTrue(x <= cx and y <= cy and cx + cw <= x + w and cy + ch <= y + h,
                        "the client area lies inside the window")
        self.assertIn("field 201: 42\n", run.output)
        self.assertIn("slider 101: 30\n", run.output)
        self.assertRegex(run.output, r"(?m)^gdi objects: \d+$")

    # -- dialogs that do not come, steps that are left -----------------------

    def test_a_dialog_that_never_appears_fails_after_half_the_timeout(self):
        # Start pumps messages without a dialog for longer than the script waits for
        # one (half the timeout), and returns well before the watchdog (the timeout).
        timeout_ms = 6000 * time_scale()
        run = self.run_probe("click 1", timeout_ms=timeout_ms,
                             extra_env={"PROBE_DIALOG_MODE": "pump",
                                        "PROBE_DIALOG_PUMP_MS": str(timeout_ms * 2 // 3)})
        self.assert_fails_with(run, 'step 1 "click 1": no dialog appeared within %d ms' %
                               (timeout_ms // 2))
        self.assertEqual(run.report.get("start"), "pumped")

    def test_a_selector_that_returns_without_a_dialog_fails_the_script(self):
        run = self.run_probe("click 1", extra_env={"PROBE_DIALOG_MODE": "none"})
        self.assert_fails_with(run, "no dialog appeared before the selector returned")
        self.assertIn('1 step not run, from step 1 "click 1"', run.output)

    def test_steps_left_when_the_dialog_closes_fail_the_script(self):
        run = self.run_probe("click 1; expect-field 201 x; wait 10")
        self.assert_fails_with(run, 'the selector returned with 2 steps not run, from step 2 '
                                    '"expect-field 201 x"')
        self.assertEqual(run.report["result"], "ok")

    def test_a_script_that_is_not_understood_is_refused(self):
        cases = [
            ("bogus 1", 'step 1 "bogus 1": unknown step "bogus"'),
            ("click 1; drag 101", 'step 2 "drag 101": VALUE is missing'),
            ("key 101 sideways", 'step 1 "key 101 sideways": "sideways" is not one of '
                                 'right|left|up|down|pageup|pagedown|home|end'),
            ('type 201 "open', 'step 1 "type 201 "open": the quote is not closed'),
            ("check 6 2", 'step 1 "check 6 2": "2" is not 0 or 1'),
            ("type 201 a b", '"b" is one argument too many'),
        ]
        for steps, message in cases:
            with self.subTest(steps=steps):
                run = self.run_probe(steps)
                self.assertNotEqual(run.status, EXIT_OK, run.describe())
                self.assertIn(message, run.result.stderr, run.describe())
                self.assertNotIn("result", run.report, "no dialog step may run")

    # -- common file dialogs ---------------------------------------------------

    def test_open_file_answers_the_dialog_either_way_round(self):
        chosen = self.path("chosen.prm")
        with open(chosen, "wb") as f:
            f.write(b"x")
        for steps in ("click %d; open-file %s" % (OPEN_BUTTON, chosen),
                      "open-file %s; click %d" % (chosen, OPEN_BUTTON)):
            with self.subTest(steps=steps):
                run = self.run_probe(steps + "; expect-field %d %s; click 1"
                                     % (OPENED, wine_path(chosen)))
                self.assert_succeeds(run)
                self.assertEqual(run.report["open"], wine_path(chosen))

    def test_open_file_of_a_missing_file_fails_with_the_dialogs_complaint(self):
        missing = self.path("missing.prm")
        run = self.run_probe("click %d; open-file %s; click 1" % (OPEN_BUTTON, missing))
        self.assert_fails_with(run, 'step 2 "open-file %s": the file dialog did not take %s'
                               % (missing, wine_path(missing)))
        self.assertEqual(run.report.get("open"), "(cancelled)", run.describe())
        self.assertEqual(run.report.get("result"), "cancel")

    def test_save_file_writes_a_new_file(self):
        target = self.path("new.prm")
        run = self.run_probe("save-file %s; click %d; expect-field %d %s; click 1"
                             % (target, SAVE_BUTTON, SAVED, wine_path(target)))
        self.assert_succeeds(run)
        with open(target, "rb") as f:
            self.assertEqual(f.read(), SAVED_CONTENT)

    def test_save_file_over_an_existing_file_confirms_the_overwrite_prompt(self):
        target = self.path("existing.prm")
        with open(target, "wb") as f:
            f.write(b"old content")
        run = self.run_probe("click %d; save-file %s; click 1" % (SAVE_BUTTON, target))
        self.assert_succeeds(run)
        self.assertEqual(run.report["save"], wine_path(target))
        with open(target, "rb") as f:
            self.assertEqual(f.read(), SAVED_CONTENT)

    def test_save_file_keep_declines_the_overwrite_prompt(self):
        target = self.path("kept.prm")
        with open(target, "wb") as f:
            f.write(b"old content")
        run = self.run_probe("click %d; save-file %s keep; cancel-file; click 1"
                             % (SAVE_BUTTON, target))
        self.assert_succeeds(run)
        self.assertEqual(run.report["save"], "(cancelled)")
        with open(target, "rb") as f:
            self.assertEqual(f.read(), b"old content")

    def test_save_file_keep_without_a_prompt_fails(self):
        target = self.path("fresh.prm")
        run = self.run_probe("click %d; save-file %s keep; click 1" % (SAVE_BUTTON, target))
        self.assert_fails_with(run, "no overwrite prompt appeared")

    def test_cancel_file_cancels_the_dialog(self):
        for steps in ("cancel-file; click %d" % OPEN_BUTTON, "click %d; cancel-file" % OPEN_BUTTON):
            with self.subTest(steps=steps):
                run = self.run_probe(steps + "; expect-field %d (cancelled); click 1" % OPENED)
                self.assert_succeeds(run)
                self.assertEqual(run.report["open"], "(cancelled)")

    def test_a_file_dialog_that_never_appears_fails_after_half_the_timeout(self):
        target = self.path("a.prm")
        timeout_ms = 4000 * time_scale()
        run = self.run_probe("open-file %s" % target, timeout_ms=timeout_ms)
        self.assert_fails_with(run, 'step 1 "open-file %s": no file dialog appeared within '
                                    '%d ms' % (target, timeout_ms // 2))
        self.assertEqual(run.report.get("result"), "cancel", run.describe())

    def test_a_file_answer_left_when_the_selector_returns_fails(self):
        target = self.path("a.prm")
        run = self.run_probe("open-file %s; click 1" % target)
        self.assert_fails_with(run, 'step 1 "open-file %s": no file dialog appeared before the '
                                    'selector returned' % target)

    # -- screenshots -----------------------------------------------------------

    def test_shot_shows_the_dialog_with_its_picture_and_the_hosts_preview(self):
        shot = self.path("dialog.png")
        run = self.run_probe("drag %d 30; print-window; shot %s; click 1" % (SLIDER, shot))
        self.assert_succeeds(run)
        image = read_png(shot)
        window = re.search(r"window: x=-?\d+ y=-?\d+ w=(\d+) h=(\d+)", run.output)
        self.assertEqual((image.width, image.height),
                         (int(window.group(1)), int(window.group(2))))
        colours = colours_of(image)
        self.assertGreater(len(colours), 50, "a drawn dialog has many colours")
        self.assertIn(bytes(PICTURE_GREEN), colours, "the probe's picture is missing")
        preview = {c for c in colours if c[0] == PREVIEW_RED}
        self.assertGreater(len(preview), 100, "the preview drawn by displayPixels is missing")

    def test_shot_of_the_about_box_shows_its_picture(self):
        shot = self.path("about.png")
        run = self.run_probe("shot %s; click" % shot, command="about")
        self.assert_succeeds(run)
        image = read_png(shot)
        data = bytes(image.data)
        blue = sum(1 for at in range(0, len(data), image.channels)
                   if data[at:at + 3] == bytes(ABOUT_BLUE))
        self.assertGreater(blue, image.width * image.height * 0.9,
                           "the About picture fills the box")

    # -- the About box ---------------------------------------------------------

    def test_ways_to_close_the_about_box(self):
        cases = [("click", "click"), ("click-window", "click"), ("press enter", "enter"),
                 ("press escape", "escape")]
        for steps, closed_by in cases:
            with self.subTest(steps=steps):
                run = self.run_probe(steps, command="about")
                self.assert_succeeds(run)
                self.assertEqual(run.report.get("about"), closed_by, run.describe())

    # -- captions, texts, notifications, message boxes ---------------------------

    def test_expect_caption_compares_the_dialogs_window_text(self):
        run = self.run_probe('expect-caption "Probe Dialog"; click 1')
        self.assert_succeeds(run)
        run = self.run_probe('expect-caption "Other"; click 1')
        self.assert_fails_with(run, 'expected "Other", found "Probe Dialog"')

    def test_a_message_box_without_owner_is_found_and_its_text_expected(self):
        message = {"PROBE_ABOUT_MODE": "message"}
        run = self.run_probe('expect-caption "Probe message"; '
                             'expect-text "The probe cannot work with this host"; press enter',
                             command="about", extra_env=message)
        self.assert_succeeds(run)
        self.assertEqual(run.report.get("about-message"), "1", run.describe())
        run = self.run_probe('expect-text "Something else"; press enter', command="about",
                             extra_env=message)
        self.assert_fails_with(run, 'expected a control showing "Something else", found ')
        self.assertIn('"The probe cannot work with this host"', run.output, run.describe())

    def test_notify_sends_the_code_with_the_controls_window(self):
        run = self.run_probe("notify %d 1; click" % ABOUT_PICTURE, command="about")
        self.assert_succeeds(run)
        self.assertEqual(run.report.get("about-notify"), "%d:1" % ABOUT_PICTURE, run.describe())
        self.assertEqual(run.report.get("about"), "click", run.describe())
        run = self.run_probe("notify 999 1; click", command="about")
        self.assert_fails_with(run, "there is no control 999")

    def test_notify_needs_a_code_of_16_bits(self):
        for steps in ("notify 501", "notify 501 65536", "notify 501 -1", "expect-caption"):
            with self.subTest(steps=steps):
                run = self.run_probe(steps, command="about")
                self.assertEqual(run.status, EXIT_HOST_ERROR, run.describe())

    # -- the About box opened again and again ----------------------------------

    def test_about_runs_the_script_at_every_opening_and_leaks_no_gdi_object(self):
        run = self.run_probe("click", command="about", extra_args=["--runs", "3", "--count-gdi"])
        self.assert_succeeds(run)
        self.assertEqual(run.output.count("result: about 0"), 3, run.describe())
        match = re.search(r"^gdi: created (\d+) deleted (\d+) alive (\d+)$", run.output, re.M)
        self.assertIsNotNone(match, run.describe())
        created, deleted, alive = (int(v) for v in match.groups())
        self.assertGreaterEqual(created, 3, "the picture of each opening is counted")
        self.assertEqual((deleted, alive), (created, 0), run.describe())

    def test_count_gdi_finds_the_picture_a_leaking_about_box_keeps(self):
        run = self.run_probe("click", command="about", extra_env={"PROBE_ABOUT_MODE": "leak"},
                             extra_args=["--runs", "2", "--count-gdi"])
        self.assert_succeeds(run)
        match = re.search(r"^gdi: created (\d+) deleted (\d+) alive (\d+)$", run.output, re.M)
        self.assertIsNotNone(match, run.describe())
        created, deleted, alive = (int(v) for v in match.groups())
        self.assertEqual(alive, created - deleted)
        self.assertGreaterEqual(alive, 2, run.describe())


if __name__ == "__main__":
    main()
