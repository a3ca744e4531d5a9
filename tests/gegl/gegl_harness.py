"""What the GEGL operation's tests share: where things are, the module's own bytes
through plughost, and running the gegl command with the operation installed.

Environment (ctest sets it): LUMIVEIL_GEGL_OP, the built operation module;
LUMIVEIL_BUILD, the folder holding win64/; LUMIVEIL_WINEPREFIX for plughost.
"""

import os
import shutil
import random
import subprocess
import sys
import tempfile
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
SOURCE = os.environ.get("LUMIVEIL_SOURCE") or os.path.dirname(os.path.dirname(HERE))
sys.path.insert(0, os.path.join(SOURCE, "tests", "e2e"))
sys.path.insert(0, os.path.join(SOURCE, "tests", "gimp"))

from pngio import Image, read_png, write_png  # noqa: E402
from skips import exit_unless_present, machine_cannot  # noqa: E402

BUILD = os.environ.get("LUMIVEIL_BUILD") or os.path.join(SOURCE, "build")
OPERATION = os.environ.get("LUMIVEIL_GEGL_OP") or os.path.join(BUILD, "native",
                                                               "lumiveil-gegl.so")
MODULE = os.path.join(BUILD, "win64", "LumiveilFilter.8bf")
# The Windows GEGL that tools/build-gegl-windows.sh cross-builds, once.
WINDOWS_GEGL = os.path.join(os.environ.get("LUMIVEIL_GEGL_WINDOWS") or
                            "/var/cache/lumiveil/gegl-windows", "x86_64-w64-mingw32")
OPERATION_NAME = "quietharbor:lumiveil"
SETTING_NAMES = ("radiation", "amount", "mist")
PLUGHOST_TIMEOUT = 300
GEGL_TIMEOUT = 300


def install_operation(data_home):
    """Installs the module as a user would, into DATA_HOME/gegl-0.4/plug-ins."""
    subprocess.run([os.path.join(SOURCE, "tools", "install-gegl-op.sh"), "--module", OPERATION,
                    "--into", os.path.join(data_home, "gegl-0.4", "plug-ins")],
                   check=True, stdout=subprocess.DEVNULL)


def require_loaded(data_home):
    """Fails unless GEGL, given DATA_HOME, knows the operation: without it the gegl
    command exits 0 and copies its input, which would pass for a result."""
    run = subprocess.run(["gegl", "--exists", OPERATION_NAME],
                         env=dict(os.environ, XDG_DATA_HOME=data_home), stdout=subprocess.PIPE,
                         stderr=subprocess.STDOUT, timeout=GEGL_TIMEOUT, universal_newlines=True)
    if run.returncode != 0:
        raise AssertionError("GEGL does not load %s from %s:\n%s" %
                             (OPERATION_NAME, OPERATION, run.stdout))


def module_result(picture, settings, out, channels):
    """The 64-bit module's output for the whole picture, through plughost."""
    arguments = [os.path.join(SOURCE, "tools", "plughost"), "--arch", "win64", "run", MODULE,
                 "--in", picture, "--out", out,
                 "--do", "type 201 %d; type 202 %d; type 203 %d; click 1" % tuple(settings)]
    if channels == 4:
        arguments += ["--planes", "4"]
    run = subprocess.run(arguments, stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
                         timeout=PLUGHOST_TIMEOUT, universal_newlines=True)
    if run.returncode != 0:
        raise AssertionError("plughost failed:\n" + run.stdout)
    return read_png(out)


def without_alpha(image):
    """The colour channels of an image, with or without alpha."""
    if image.channels == 3:
        return image
    colour = Image(image.width, image.height, 3)
    for channel in range(3):
        colour.data[channel::3] = image.data[channel::4]
    return colour


def crop(image, left, top, width, height):
    part = Image(width, height, image.channels)
    row_bytes = width * image.channels
    for y in range(height):
        start = image.offset(left, top + y)
        part.data[y * row_bytes:(y + 1) * row_bytes] = image.data[start:start + row_bytes]
    return part


def alpha_values(image):
    return set(image.data[3::4])


def operation_arguments(settings):
    """The operation and its properties on a gegl command line; None keeps the defaults."""
    if settings is None:
        return [OPERATION_NAME]
    return [OPERATION_NAME] + ["%s=%d" % pair for pair in zip(SETTING_NAMES, settings)]


def run_gegl(picture, out, operations, data_home, threads=None):
    """picture through the given chain of operations into out, an 8-bit PNG."""
    environment = dict(os.environ, XDG_DATA_HOME=data_home)
    if threads:
        environment["GEGL_THREADS"] = str(threads)
    arguments = (["gegl", "--", "gegl:load", "path=" + picture] + operations +
                 ["gegl:png-save", "path=" + out, "bitdepth=8"])
    run = subprocess.run(arguments, env=environment, stdout=subprocess.PIPE,
                         stderr=subprocess.STDOUT, timeout=GEGL_TIMEOUT, universal_newlines=True)
    if run.returncode != 0 or not os.path.exists(out):
        raise AssertionError("gegl wrote no %s:\n%s" % (out, run.stdout))
    # An operation that GEGL cannot find is left out of the chain, exit status 0.
    if "No such op" in run.stdout:
        raise AssertionError("gegl ran without an operation:\n" + run.stdout)


def exit_unless_built(tools=()):
    """Ends the test, saying why, when a part is missing: the operation or the module
    fails it (the build makes them); the gegl command or one of `tools` counts as
    skipped only where this machine cannot install it (skips.py)."""
    exit_unless_present(
        built=[what for what, path in (("operation at " + OPERATION, OPERATION),
                                       ("module at " + MODULE, MODULE))
               if not os.path.exists(path)],
        installed=[tool for tool in ("gegl",) + tuple(tools) if not shutil.which(tool)],
        cannot=machine_cannot())


def exit_unless_windows_gegl(built):
    """Ends the test, saying why, when the Windows GEGL is missing (it counts as skipped
    only where this machine cannot make it) or when one of `built`, (what, path) pairs
    that the build makes against it, is (that always fails)."""
    exit_unless_present(
        installed=[] if os.path.exists(os.path.join(WINDOWS_GEGL, "bin", "gegl.exe")) else
        ["Windows GEGL at %s (tools/build-gegl-windows.sh makes it)" % WINDOWS_GEGL],
        cannot=machine_cannot(debootstrap=True))
    exit_unless_present(built=[what for what, path in built if not os.path.exists(path)])


class FolderTestCase(unittest.TestCase):
    """Tests that share one temporary folder, made for the class and removed after it;
    cls.path(name) is a file in it."""
    folder_prefix = "lumiveil-"

    @classmethod
    def setUpClass(cls):
        cls.folder = tempfile.mkdtemp(prefix=cls.folder_prefix)
        cls.addClassCleanup(shutil.rmtree, cls.folder, True)

    @classmethod
    def path(cls, name):
        return os.path.join(cls.folder, name)


def write_pictures(path, pictures, noise_size, make_picture):
    """Writes every picture of `pictures` (name: (width, height, channels)) made by
    make_picture, and noise.png of `noise_size`, through path(name); returns the
    pictures by name."""
    made = {}
    for seed, (name, size) in enumerate(sorted(pictures.items())):
        made[name] = make_picture(*size, seed)
        write_png(path(name + ".png"), made[name])
    width, height, channels = noise_size
    noise = random.Random(len(pictures)).randbytes(width * height * channels)
    write_png(path("noise.png"), Image(width, height, channels, noise))
    return made
