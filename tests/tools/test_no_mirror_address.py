"""The build, the install steps and the tests name no address to fetch from: every
package mirror comes from the machine's own package sources (tools/release-mirror.sh).
An address written into tools/, cmake/ or tests/ fails this, with its file and line."""

import os
import re
import unittest

SOURCE = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
FOLDERS = ("tools", "cmake", "tests")
# A scheme and its separator, as an address of any kind begins.
ADDRESS = re.compile(r"\b[a-z][a-z0-9+.-]*:" + "//")
# Names that look like addresses but are never fetched: the document type that
# every Info.plist declares is an identifier of the format.
NAMES = ("http:" + "//www.apple.com/DTDs/PropertyList-1.0.dtd",)


def text_files():
    yield os.path.join(SOURCE, "CMakeLists.txt")
    for folder in FOLDERS:
        for directory, _, names in os.walk(os.path.join(SOURCE, folder)):
            for name in names:
                yield os.path.join(directory, name)


class NoMirrorAddressTests(unittest.TestCase):
    def test_no_file_names_an_address(self):
        found = []
        for path in text_files():
            try:
                with open(path, encoding="utf-8") as f:
                    lines = f.read().splitlines()
            except (UnicodeDecodeError, OSError):
                continue  # pictures and other binary files
            for number, line in enumerate(lines, 1):
                for name in NAMES:
                    line = line.replace(name, "")
                if ADDRESS.search(line):
                    found.append("%s:%d: %s" % (os.path.relpath(path, SOURCE), number, line.strip()))
        self.assertEqual(found, [], "\n".join(found))

    def test_an_address_is_recognised(self):
        self.assertTrue(ADDRESS.search("mirror=${mirror:-http:" + "//example.org/debian/}"))
        self.assertFalse(ADDRESS.search('mirror=$(release_mirror "$who" "no root is made")'))


if __name__ == "__main__":
    unittest.main()
