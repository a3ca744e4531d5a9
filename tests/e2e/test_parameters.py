"""Settings that last: the parameter block in the host's handle, the Alt key, and
the last-used settings file under the Windows folder (or, where that folder is
closed to the user, under the user's application-data folder), as a host sees them."""

import os

from blocks import Block, FileImage, file_image, native_block
from harness import HostTestCase, main, module_path, read_png

SETTINGS_FILE = os.path.join("quietharborstudio", "PS Filters", "Lumiveil")
OK, CANCEL = "click 1", "click 2"


class ParameterStorage(HostTestCase):
    def setUp(self):
        super().setUp()
        self.windows = self.path("windows")
        os.makedirs(self.windows)
        self.app_data = self.path("appdata")
        os.makedirs(self.app_data)
        self.params = self.path("params.bin")

    def settings_file(self):
        return os.path.join(self.windows, SETTINGS_FILE)

    def read_app_data_file(self):
        with open(os.path.join(self.app_data, SETTINGS_FILE), "rb") as f:
            return f.read()

    def write_settings_file(self, data):
        os.makedirs(os.path.dirname(self.settings_file()), exist_ok=True)
        with open(self.settings_file(), "wb") as f:
            f.write(data)

    def write_params(self, data):
        with open(self.params, "wb") as f:
            f.write(data)

    def read_params(self):
        with open(self.params, "rb") as f:
            return f.read()

    def run_filter(self, steps=None, repeat=False, extra=()):
        args = ["run", module_path(), "--in", "pattern:64x48", "--out", self.path("out.png"),
                "--params", self.params, "--windows-dir", self.windows,
                "--app-data", self.app_data] + list(extra)
        if repeat:
            args.append("--repeat")
        if steps:
            args += ["--do", steps]
        run = self.run_host(args)
        self.assertEqual(run.lines("dialog:"), [], run.report())  # every step did what it said
        return run

    def test_first_use_creates_the_folders_and_an_empty_file_and_a_default_block(self):
        run = self.run_filter(CANCEL)
        self.assertEqual((run.result("parameters"), run.result("start")), (0, 1), run.report())
        self.assertTrue(os.path.isfile(self.settings_file()))
        self.assertEqual(os.path.getsize(self.settings_file()), 0)
        block = Block(self.read_params())
        self.assertEqual((block.signature, block.kind, block.version, block.tag, block.level,
                          block.stamp), (b"Lmvl", b"Prms", 3, b"std ", 100, 1684))
        self.assertEqual((block.show_dialog, block.name, block.settings),
                         (1, b"Untitled parameters", (50, 50, 0)))

    def test_last_used_values_out_of_range_are_limited(self):
        self.write_settings_file(file_image(settings=(150, 70, -5), show_dialog=0, name=b"old"))
        run = self.run_filter(CANCEL)
        self.assertEqual(run.result("parameters"), 0, run.report())
        block = Block(self.read_params())
        self.assertEqual((block.settings, block.show_dialog, block.name, block.stamp),
                         ((100, 70, 0), 1, b"old", 1685))

    def test_an_existing_block_is_limited_and_asks_for_the_dialog_without_reading_the_file(self):
        self.write_params(native_block(settings=(10, 120, 20), show_dialog=0))
        self.write_settings_file(file_image(settings=(77, 77, 77)))
        run = self.run_filter("expect-field 201 10; expect-field 202 100; expect-field 203 20; "
                              + CANCEL)
        self.assertEqual((run.result("parameters"), run.result("start")), (0, 1), run.report())
        block = Block(self.read_params())
        self.assertEqual((block.settings, block.show_dialog), ((10, 100, 20), 1))

    def test_a_block_without_the_signature_is_refused_and_left_untouched(self):
        foreign = native_block(signature=b"Xxxx", settings=(1, 2, 3))
        self.write_params(foreign)
        run = self.run_filter()
        self.assertEqual(run.result("parameters"), 2002, run.report())
        self.assertEqual(self.read_params(), foreign)
        run = self.run_filter(repeat=True)
        self.assertEqual(run.result("start"), 2002, run.report())
        self.assertEqual(run.records("advance"), [])
        self.assertEqual(self.read_params(), foreign)

    def test_a_handle_shorter_than_a_block_is_never_read(self):
        short = native_block(settings=(10, 20, 30))[:120]
        self.write_params(short)
        run = self.run_filter(repeat=True)
        self.assertEqual(run.result("start"), 2002, run.report())
        self.assertEqual(self.read_params(), short)

    def test_a_host_that_cannot_tell_handle_sizes_still_keeps_the_block(self):
        self.write_params(native_block(settings=(10, 20, 30), show_dialog=0))
        run = self.run_filter(repeat=True, extra=["--handle-procs", "zero-size"])
        self.assertEqual(run.result("start"), 0, run.report())
        self.assertEqual(len(run.records("advance")), 2)

    def test_alt_starts_from_the_defaults_with_the_dialog(self):
        self.write_params(native_block(settings=(10, 20, 30), show_dialog=0))
        run = self.run_filter("expect-field 201 50; expect-field 202 50; expect-field 203 0; "
                              + OK, repeat=True, extra=["--alt"])
        self.assertEqual(run.result("start"), 0, run.report())
        self.assertEqual([r.result for r in run.records("getasynckeystate")][:1], [0x8000])
        block = Block(self.read_params())
        self.assertEqual((block.settings, block.show_dialog), ((50, 50, 0), 0))

    def test_a_repeated_run_filters_at_once_with_the_stored_settings(self):
        self.write_params(native_block(settings=(10, 100, 30), show_dialog=0))
        before = self.read_params()
        run = self.run_filter(repeat=True)
        self.assertEqual(run.result("start"), 0, run.report())
        self.assertEqual(self.read_params(), before)
        self.assertFalse(os.path.exists(self.settings_file()), "no dialog, nothing written")

    def test_the_mfi1_host_needs_parameters_before_each_start_unless_alt_is_held(self):
        self.write_params(native_block(settings=(10, 20, 30), show_dialog=0))
        run = self.run_filter(repeat=True, extra=["--host-sig", "MFI1", "--then", "repeat"])
        self.assertEqual([code for name, code in run.results if name == "start"], [0, -109],
                         run.report())
        self.write_params(native_block(settings=(10, 20, 30), show_dialog=0))
        run = self.run_filter(OK, repeat=True, extra=["--host-sig", "MFI1", "--then", "repeat",
                                                      "--alt"])
        self.assertEqual([code for name, code in run.results if name == "start"][-1], 0,
                         run.report())

    def test_ok_writes_the_block_and_the_last_used_file(self):
        run = self.run_filter("type 201 20; type 202 40; type 203 60; " + OK)
        self.assertEqual(run.result("start"), 0, run.report())
        block = Block(self.read_params())
        self.assertEqual((block.settings, block.show_dialog, block.stamp), ((20, 40, 60), 0, 1684))
        with open(self.settings_file(), "rb") as f:
            image = FileImage(f.read())
        self.assertEqual((image.settings, image.show_dialog, image.stamp, image.name),
                         ((20, 40, 60), 0, 1684, b"Untitled parameters"))
        self.assertEqual(image.raw[24:28], bytes(4))
        self.assertEqual(os.listdir(self.app_data), [], "the file is in one place only")
        # The next host session reads them back into its new block, asking for the dialog.
        os.remove(self.params)
        run = self.run_filter("expect-field 201 20; expect-field 202 40; expect-field 203 60; "
                              + CANCEL)
        self.assertEqual(Block(self.read_params()).settings, (20, 40, 60), run.report())

    def test_cancel_writes_nothing_back(self):
        self.write_params(native_block(settings=(10, 20, 30), show_dialog=1))
        before = self.read_params()
        run = self.run_filter("type 201 99; " + CANCEL, repeat=True)
        self.assertEqual(run.result("start"), 1, run.report())
        self.assertEqual(self.read_params(), before)
        self.assertFalse(os.path.exists(self.settings_file()))

    def test_a_settings_file_that_cannot_be_written_never_stops_a_run(self):
        # A folder where the file should be: that open is refused, the run goes on.
        os.makedirs(self.settings_file())
        run = self.run_filter(OK)
        self.assertEqual(run.result("start"), 0, run.report())
        self.assertEqual(Block(self.read_params()).show_dialog, 0)
        self.assertEqual(FileImage(self.read_app_data_file()).settings, (50, 50, 0))
        run = self.run_filter(OK, extra=["--windows-dir", "none"])
        self.assertEqual(run.result("start"), 0, run.report())

    def test_a_windows_folder_closed_to_the_user_keeps_the_settings_in_application_data(self):
        # A plain file where the maker's folder would be: no folder can be made
        # there, as under a Windows folder that an ordinary user may not write to.
        maker = os.path.join(self.windows, "quietharborstudio")
        open(maker, "wb").close()
        run = self.run_filter("type 201 20; type 202 40; type 203 60; " + OK)
        self.assertEqual(run.result("start"), 0, run.report())
        self.assertEqual(self.read_app_data_file(),
                         file_image(settings=(20, 40, 60), show_dialog=0, stamp=1684))
        # The next host session reads them back from there.
        os.remove(self.params)
        run = self.run_filter("expect-field 201 20; expect-field 202 40; expect-field 203 60; "
                              + CANCEL)
        self.assertEqual(run.result("start"), 1, run.report())
        self.assertEqual(os.listdir(self.windows), ["quietharborstudio"])
        self.assertEqual(os.path.getsize(maker), 0, "nothing went under the Windows folder")

    def test_an_application_data_folder_outside_the_code_page_keeps_settings_and_presets(self):
        # An account named in another script than the system's: no ANSI code page
        # holds both the Polish and the Cyrillic letters, so only the wide calls
        # reach this folder. The Windows folder is closed, as for an ordinary user.
        self.app_data = os.path.join(self.tmp, "Łukasz Żółć", "Данные", "Roaming")
        os.makedirs(self.app_data)
        open(os.path.join(self.windows, "quietharborstudio"), "wb").close()
        preset = os.path.join(self.app_data, "look.prm")
        run = self.run_filter('type 201 20; type 202 40; type 203 60; save-file "%s"; click 4; '
                              % preset + OK)
        self.assertEqual(run.result("start"), 0, run.report())
        self.assertEqual(self.read_app_data_file(),
                         file_image(settings=(20, 40, 60), show_dialog=0, stamp=1684))
        # The preset holds the same bytes as anywhere else: the file's own name over
        # the start of the current one.
        expected = bytearray(file_image(settings=(20, 40, 60)))
        expected[28:37] = bytes([8]) + b"look.prm"
        with open(preset, "rb") as f:
            self.assertEqual(f.read(), bytes(expected))
        # The next host session reads the settings back, and loads the preset there.
        os.remove(self.params)
        run = self.run_filter('expect-field 201 20; expect-field 202 40; expect-field 203 60; '
                              'type 201 99; type 203 1; open-file "%s"; click 3; '
                              'expect-field 201 20; expect-field 203 60; ' % preset + OK)
        self.assertEqual(run.result("start"), 0, run.report())
        self.assertEqual(Block(self.read_params()).name, b"look.prm")

    def test_a_file_held_by_another_host_is_neither_read_nor_written_anywhere(self):
        held = file_image(settings=(10, 20, 30))
        self.write_settings_file(held)
        run = self.run_filter("expect-field 201 50; type 201 20; " + OK,
                              extra=["--hold-file", self.settings_file()])
        self.assertEqual(run.result("start"), 0, run.report())
        with open(self.settings_file(), "rb") as f:
            self.assertEqual(f.read(), held)
        self.assertEqual(os.listdir(self.app_data), [], "a busy file is no reason to move")

    def test_parameters_survive_without_the_hosts_handle_procs(self):
        for mode in ("none", "version2", "five", "no-getsize"):
            os.path.exists(self.params) and os.remove(self.params)
            run = self.run_filter("type 202 70; " + OK, extra=["--handle-procs", mode])
            self.assertEqual(run.result("start"), 0, run.report())
            self.assertEqual(run.records("handle", "new"), [], mode)
            block = Block(self.read_params())
            self.assertEqual((block.settings, block.show_dialog), ((50, 70, 0), 0), mode)
            run = self.run_filter(repeat=True, extra=["--handle-procs", mode])
            self.assertEqual(run.result("start"), 0, run.report())
            self.assertNotEqual(read_png(self.path("out.png")), None)


if __name__ == "__main__":
    main()
