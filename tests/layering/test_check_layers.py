"""tools/check_layers.py catches every include form that reaches a room above,
and every loop, in a small tree of its own: params/ (level 2) including host/
(level 4) quoted with a folder, angled, relative, and without a folder from
beside the file (a loop); a .cpp and .h pair looping with another; and
plughost's parts: one including a part above it, two siblings looping through
files that form no loop themselves, and a stray file at plughost's top; and the
system's own headers or a platform side's files used above the platform interface."""

import os
import shutil
import sys
import tempfile
import unittest

SOURCE = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
sys.path.insert(0, os.path.join(SOURCE, "tools"))

import check_layers  # noqa: E402

CLEAN = {
    "host/host_errors.h": "#pragma once\n",
    "host/entry.cpp": '#include "host/host_errors.h"\n#include "params/block.h"\n',
    "params/block.h": "#pragma once\n#include <cstdint>\n",
    "params/block.cpp": '#include "params/block.h"\n#include "codec.h"\n',
    "params/codec.h": "#pragma once\n",
    "engine/kernel.h": "#pragma once\n#include <immintrin.h>\n",
    "plughost/main.cpp": '#include "plughost/commands/run.h"\n',
    "plughost/commands/run.h": '#pragma once\n#include "plughost/record/handles.h"\n'
                               '#include "plughost/dialog/script.h"\n',
    "plughost/record/handles.h": "#pragma once\n",
    "plughost/dialog/script.h": "#pragma once\n",
    "plughost/dialog/steps.h": "#pragma once\n",
    "plughost/module/session.h": "#pragma once\n",
    "plughost/module/loader.h": "#pragma once\n",
    "platform/files.h": "#pragma once\n",
    "platform/win/files.cpp": '#include "platform/files.h"\n#include "platform/win/handles.h"\n'
                              "#include <windows.h>\n",
    "platform/win/handles.h": "#pragma once\n#include <windows.h>\n#include <commdlg.h>\n",
}


class CheckLayersTests(unittest.TestCase):
    def problems(self, extra):
        root = tempfile.mkdtemp(prefix="lumiveil-layers-")
        self.addCleanup(shutil.rmtree, root, True)
        for path, text in dict(CLEAN, **extra).items():
            os.makedirs(os.path.join(root, os.path.dirname(path)), exist_ok=True)
            with open(os.path.join(root, path), "w") as source:
                source.write(text)
        return check_layers.check(root)

    def test_clean_tree_passes(self):
        self.assertEqual(self.problems({}), [])

    def test_every_form_of_an_upward_include_is_caught(self):
        for form in ('"host/host_errors.h"', "<host/host_errors.h>", '"../host/host_errors.h"',
                     '"../params/../host/host_errors.h"'):
            with self.subTest(form=form):
                problems = self.problems({"params/codec.h": "#include %s\n" % form})
                self.assertTrue(any("params/codec.h:1" in problem and "host is above params" in
                                    problem for problem in problems), problems)
                self.assertTrue(any("folders include each other in a loop" in problem
                                    for problem in problems), problems)

    def test_engine_reaching_out_is_caught_in_every_form(self):
        for form in ('"params/codec.h"', "<params/codec.h>", '"../params/codec.h"',
                     "<windows.h>"):
            with self.subTest(form=form):
                problems = self.problems({"engine/kernel.cpp": "#include %s\n" % form})
                self.assertTrue(any(problem.startswith("engine/kernel.cpp:1") for problem in problems),
                                problems)

    def test_file_loop_without_folder_names_is_caught(self):
        problems = self.problems({"params/codec.h": '#pragma once\n#include "block.h"\n',
                                  "params/block.h": '#pragma once\n#include "codec.h"\n'})
        self.assertIn("files include each other in a loop: params/block.h -> params/codec.h -> "
                      "params/block.h", problems)

    def test_unit_loop_is_caught(self):
        # block.cpp includes codec.h, codec.cpp includes block.h: no file loop.
        problems = self.problems({"params/codec.cpp": '#include "params/codec.h"\n'
                                                      '#include <params/block.h>\n'})
        self.assertEqual(problems, ["units (a .cpp with its .h) include each other in a loop: "
                                    "params/block -> params/codec -> params/block"])

    def test_plughost_part_including_one_above_is_caught(self):
        problems = self.problems({"plughost/record/handles.h":
                                  '#include "plughost/commands/run.h"\n'})
        self.assertIn("plughost/record/handles.h:1 includes plughost/commands/run.h: "
                      "plughost/commands is above plughost/record", problems)

    def test_plughost_sibling_parts_looping_are_caught(self):
        # Same rank, so no include points up; no file or unit loops either.
        problems = self.problems({
            "plughost/dialog/script.h": '#include "plughost/module/session.h"\n',
            "plughost/module/loader.h": '#include "plughost/dialog/steps.h"\n',
        })
        self.assertEqual(problems, ["plughost's parts include each other in a loop: "
                                    "plughost/dialog -> plughost/module -> plughost/dialog"])

    def test_plughost_file_outside_its_parts_is_caught(self):
        problems = self.problems({"plughost/trace.cpp": "\n"})
        self.assertEqual(len(problems), 1, problems)
        self.assertTrue(problems[0].startswith("plughost/trace.cpp: plughost keeps only main.cpp"),
                        problems)
    def test_system_headers_and_platform_sides_above_the_interface_are_caught(self):
        cases = {"<windows.h>": "includes <windows.h>: only a platform side",
                 "<commdlg.h>": "includes <commdlg.h>: only a platform side",
                 "<objc/runtime.h>": "includes <objc/runtime.h>: only a platform side",
                 '"platform/win/handles.h"': "only platform/win/ itself uses its own headers"}
        for form, expected in cases.items():
            for path in ("ui/dialog.cpp", "params/files.cpp", "platform/host_memory.cpp",
                         "platform/mac/files.cpp"):
                if path.startswith("platform/mac/") and form.startswith("<"):
                    continue  # a platform side may use its system's headers
                with self.subTest(form=form, path=path):
                    problems = self.problems({path: "#include %s\n" % form})
                    self.assertTrue(any(problem.startswith(path + ":1") and expected in problem
                                        for problem in problems), problems)


if __name__ == "__main__":
    unittest.main()
