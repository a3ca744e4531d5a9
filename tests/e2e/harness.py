"""The end-to-end tests' side of the reference host (stdlib only).

Finds the builds from the environment that ctest sets (LUMIVEIL_ARCH win32|win64,
LUMIVEIL_BUILD holding win32/ and win64/, LUMIVEIL_SOURCE, LUMIVEIL_NATIVE_BUILD;
defaults win32 and <repo>/build), runs plughost under Wine through tools/plughost
on one virtual display per test process, and parses what it prints and traces.

    from harness import HostTestCase, run_plughost, probe_path
    class ProbeTests(HostTestCase):
        def test_copy(self):
            run = self.run_host(["run", probe_path(), "--in", "pattern:40x30",
                                 "--out", self.path("out.png")], probe="mode=copy")
            self.assertEqual(run.returncode, 0, run.report())
"""

import atexit
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)

from pngio import Image, read_png, write_png, describe_difference, difference  # noqa: E402,F401
from skips import machine_cannot, may_skip  # noqa: E402

SOURCE = os.environ.get("LUMIVEIL_SOURCE") or os.path.dirname(os.path.dirname(HERE))
ARCH = os.environ.get("LUMIVEIL_ARCH") or "win32"
BUILD = os.environ.get("LUMIVEIL_BUILD") or os.path.join(SOURCE, "build")
NATIVE_BUILD = os.environ.get("LUMIVEIL_NATIVE_BUILD") or ""
TOOL = os.path.join(SOURCE, "tools", "plughost")

# plughost's exit statuses.
EXIT_OK = 0
EXIT_SELECTOR_FAILED = 1
EXIT_HOST_ERROR = 2
EXIT_CRASH = 3
EXIT_VIOLATION = 4
EXIT_TIMEOUT = 5
EXIT_CANNOT_RUN = 125  # tools/plughost: Wine could not run plughost at all

# What the host puts where the module did not ask for data (see plughost/delivery.h).
JUNK_EVEN = 0xA5  # -2 padding, (row + column) even
JUNK_ODD = 0x5A
ROW_SLACK_MIN = 8
# With a mask the host starts maskRect/maskPadding at these (plughost/filter_run.cpp).
MASK_RECT_SENTINEL = (-4242, -4242, -4243, -4243)
MASK_PADDING_SENTINEL = 4242

SELECTORS = ("about", "parameters", "prepare", "start", "continue", "finish")

_RECT_RE = re.compile(r"^-?\d+,-?\d+,-?\d+,-?\d+$")


def arch_dir(arch=None):
    return os.path.join(BUILD, arch or ARCH)


def plughost_exe(arch=None):
    return os.path.join(arch_dir(arch), "plughost.exe")


def module_path(name="LumiveilFilter.8bf", arch=None):
    return os.path.join(arch_dir(arch), name)


def probe_path(name="ProbeFilter.8bf", arch=None):
    return os.path.join(arch_dir(arch), name)


def wine_path(path):
    """The Windows name Wine gives a Linux path: /tmp/a -> Z:\\tmp\\a."""
    return "Z:" + os.path.abspath(path).replace("/", "\\")


def alpha_pattern(x, y):
    """The host's 4th plane where the input has none: (5x + 3y) mod 256."""
    return (5 * x + 3 * y) & 0xFF


def ia32_status():
    """tools/ia32-status's line: 'native', 'emulated <interpreter>' or 'unavailable: <why>'."""
    completed = subprocess.run([os.path.join(SOURCE, "tools", "ia32-status")],
                               stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
                               stderr=subprocess.DEVNULL, timeout=60)
    return completed.stdout.decode().strip()


def arm64_status():
    """tools/arm64-status's line: 'emulated <interpreter> in <root>' or 'unavailable: <why>'."""
    completed = subprocess.run([os.path.join(SOURCE, "tools", "arm64-status")],
                               stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
                               stderr=subprocess.DEVNULL, timeout=60)
    return completed.stdout.decode().strip()


def arch_emulated(arch=None):
    """True when this architecture's programs run under qemu's emulation here."""
    arch = arch or ARCH
    if arch == "win-arm64":
        return arm64_status().startswith("emulated")
    return arch == "win32" and ia32_status().startswith("emulated")


def time_scale(arch=None):
    """How many times longer a wait may need here: the emulated width runs its
    programs many times slower, so every limit that a test sets grows with it."""
    return 4 if arch_emulated(arch) else 1


def arch_runnable(arch=None):
    """(True, '') when Wine can run this architecture's programs here, natively or
    emulated; else (False, why)."""
    if (arch or ARCH) == "win32":
        status = ia32_status()
        if status.startswith("unavailable"):
            return False, "the win32 build cannot run here: " + status.partition(": ")[2]
    if (arch or ARCH) == "win-arm64":
        status = arm64_status()
        if status.startswith("unavailable"):
            return False, "the win-arm64 build cannot run here: " + status.partition(": ")[2]
    return True, ""


# --- the virtual display, one per test process -------------------------------

_display = {"started": None}


def _stop_display():
    process = _display["started"]
    if process is None:
        return
    env = dict(os.environ, WINEPREFIX=os.environ.get("LUMIVEIL_WINEPREFIX",
                                                     os.path.join(SOURCE, ".wine")))
    # Wine's desktop process keeps the display until the wine server winds down.
    # The emulated ARM64 server stays long after its last run: this process's
    # runs are over, so it is ended now rather than waited for.
    command = ["wineserver", "-w"]
    if ARCH == "win-arm64":
        command = [os.path.join(SOURCE, "tools", "arm64-wine"), "--server", "-k"]
        env["LUMIVEIL_ARM64_PREFIX"] = env["WINEPREFIX"]
    try:
        subprocess.run(command, env=env, timeout=20, stdin=subprocess.DEVNULL,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    except (OSError, subprocess.SubprocessError):
        pass
    process.terminate()
    try:
        process.wait(timeout=10)
    except subprocess.TimeoutExpired:
        process.kill()
    _display["started"] = None


def ensure_display():
    """DISPLAY for Wine: the caller's, or an Xvfb started once for this process.
    Xvfb picks a free display number itself (-displayfd), so test processes that
    start displays at the same moment never end up sharing one."""
    if os.environ.get("DISPLAY"):
        return os.environ["DISPLAY"]
    log = open(display_log_path(), "ab")
    reader, writer = os.pipe()
    process = subprocess.Popen(["Xvfb", "-displayfd", str(writer), "-screen", "0", "1600x1200x24",
                                "-nolisten", "tcp"], stdin=subprocess.DEVNULL, stdout=log,
                               stderr=log, pass_fds=(writer,))
    os.close(writer)
    with os.fdopen(reader) as numbers:
        number = numbers.readline().strip()  # written once Xvfb accepts connections
    log.close()
    if not number.isdigit() or process.poll() is not None:
        process.kill()
        process.wait()
        raise RuntimeError("could not start Xvfb: " + log_tail(display_log_path()))
    _display["started"] = process
    atexit.register(_stop_display)
    os.environ["DISPLAY"] = ":" + number
    return os.environ["DISPLAY"]


def display_log_path():
    """Where this test process's Xvfb writes its complaints."""
    folder = os.path.join(tempfile.gettempdir(), "lumiveil-logs")
    os.makedirs(folder, exist_ok=True)
    return os.path.join(folder, "xvfb-%d.log" % os.getpid())


def log_tail(path, lines=8):
    """The last lines of a log, or '(none)'."""
    try:
        with open(path, encoding="latin-1") as f:
            text = f.read().strip().splitlines()[-lines:]
    except OSError:
        return "(none)"
    return "\n".join(text) if text else "(none)"


# --- results ------------------------------------------------------------------

def parse_value(text):
    """A trace value: a rectangle becomes a 4-tuple, a number an int, else the text."""
    if _RECT_RE.match(text):
        return tuple(int(v) for v in text.split(","))
    try:
        return int(text, 0)
    except ValueError:
        return text


class TraceRecord:
    """One trace line: `kind` is its first word, `words` the plain words after it,
    `fields` its key=value pairs (rectangles as tuples, numbers as ints), and
    `result` what follows ' -> ' (an int when it is a number)."""

    def __init__(self, line):
        self.line = line
        head, arrow, tail = line.partition(" -> ")
        self.result = parse_value(tail.strip()) if arrow else None
        parts = head.split()
        self.kind = parts[0] if parts else ""
        self.words = []
        self.fields = {}
        for part in parts[1:]:
            key, equals, value = part.partition("=")
            if equals:
                self.fields[key] = parse_value(value)
            else:
                self.words.append(part)

    def __getitem__(self, key):
        return self.fields[key]

    def get(self, key, default=None):
        return self.fields.get(key, default)

    def __repr__(self):
        return "TraceRecord(%r)" % self.line


def parse_trace(text):
    return [TraceRecord(line) for line in text.splitlines() if line.strip()]


class RunResult:
    """What one plughost run left: exit status, output, result lines, trace."""

    def __init__(self, args, returncode, stdout, stderr, trace, wine_log=""):
        self.args = args
        self.wine_log = wine_log
        self.returncode = returncode
        self.stdout = stdout
        self.stderr = stderr
        self.trace = trace
        self.results = []  # (selector, code) in order
        for line in stdout.splitlines():
            # A selector without a name is shown by its number: "result: -1 -30100".
            match = re.match(r"^result: (-?\w+) (-?\d+)$", line)
            if match:
                self.results.append((match.group(1), int(match.group(2))))

    def result(self, selector, which=-1):
        """The code of the selector's last (or `which`-th) call; None if never called."""
        codes = [code for name, code in self.results if name == selector]
        return codes[which] if codes else None

    def selectors(self):
        return [name for name, _ in self.results]

    def lines(self, prefix):
        """stdout lines starting with `prefix` (e.g. 'crash:'), prefix removed."""
        return [line[len(prefix):].strip() for line in self.stdout.splitlines()
                if line.startswith(prefix)]

    def records(self, kind, *words):
        """Trace records of one kind whose first words are `words`."""
        return [r for r in self.trace if r.kind == kind and tuple(r.words[:len(words)]) == words]

    def report(self):
        """Everything, for an assertion message."""
        return ("plughost %s\nexit status %s\n--- stdout\n%s--- stderr\n%s"
                "--- Wine's log (last lines)\n%s\n--- the display's log (last lines)\n%s\n" %
                (" ".join(self.args), self.returncode, self.stdout, self.stderr,
                 self.wine_log or "(none)", log_tail(display_log_path())))


def without_cr(output):
    """plughost's output as text with plain line ends: it writes CR LF."""
    return output.decode("latin-1").replace("\r\n", "\n")


# plughost's commands that load a module, and so may let it reach for the user's
# application-data folder.
MODULE_COMMANDS = ("run", "about", "call")


def with_app_data(args, folder):
    """`args` with --app-data FOLDER after a module command, unless they name one.
    A module whose Windows folder is closed keeps its last-used settings in that
    folder; the Wine prefix's own one would carry them into later tests."""
    args = list(args)
    if not args or args[0] not in MODULE_COMMANDS or "--app-data" in args:
        return args
    return [args[0], "--app-data", folder] + args[1:]


def with_input_checks(args):
    """`args` with --verify-input after a filtering command: the tests want a module
    that writes into its input caught, which plughost checks only when asked."""
    args = list(args)
    if not args or args[0] not in ("run", "call") or "--verify-input" in args:
        return args
    return [args[0], "--verify-input"] + args[1:]


def run_plughost(args, env=None, timeout=180, trace_path=None, arch=None, probe=None,
                 verify_input=True):
    """Runs tools/plughost (arch from LUMIVEIL_ARCH) with `args`. With
    `trace_path`, --trace is added and the trace parsed into RunResult.trace.
    `probe` sets the probe module's PROBE variable; verify_input=False leaves the
    host on its fast path. Never raises on a non-zero exit status."""
    ensure_display()
    arguments = with_input_checks(args) if verify_input else list(args)
    if trace_path is not None and "--trace" not in arguments:
        arguments += ["--trace", trace_path]
    command = [TOOL, "--arch", arch or ARCH] + arguments
    environment = dict(os.environ)
    if probe is not None:
        environment["PROBE"] = probe
    environment.update(env or {})
    # Wine's own complaints stay out of stderr (tools/plughost keeps them in this
    # log); a failing test shows their last lines in its report.
    wine_log = tempfile.NamedTemporaryFile(prefix="lumiveil-wine-", suffix=".log", delete=False)
    wine_log.close()
    environment.setdefault("LUMIVEIL_WINE_LOG", wine_log.name)
    try:
        completed = subprocess.run(command, env=environment, stdin=subprocess.DEVNULL,
                                   stdout=subprocess.PIPE, stderr=subprocess.PIPE, timeout=timeout)
        logged = log_tail(wine_log.name, 12)
    finally:
        os.unlink(wine_log.name)
    trace = []
    if trace_path is not None and os.path.exists(trace_path):
        with open(trace_path, encoding="latin-1") as f:
            trace = parse_trace(f.read())
    return RunResult(arguments, completed.returncode, without_cr(completed.stdout),
                     without_cr(completed.stderr), trace, logged)


def wine_prefix():
    """The Wine prefix that tools/plughost runs in."""
    return os.environ.get("LUMIVEIL_WINEPREFIX") or os.path.join(SOURCE, ".wine")


DESKTOP_KEY = r"HKCU\Control Panel\Desktop"


def set_screen_dpi(dpi):
    """The screen resolution of the plughost runs that start after this: Wine's
    LogPixels, which each process reads as it starts (96 is 100 %, 192 is 200 %);
    None gives Wine's own 96 back. The prefix's tests take turns, so no other
    test's run sees it; a test that sets it puts it back with addCleanup."""
    reg = os.path.join(wine_prefix(), "drive_c", "windows", "system32", "reg.exe")
    if not os.path.exists(reg):
        run_plughost(["info", module_path()])  # the first run makes the prefix
    if dpi is None:
        args = ["delete", DESKTOP_KEY, "/v", "LogPixels", "/f"]
    else:
        args = ["add", DESKTOP_KEY, "/v", "LogPixels", "/t", "REG_DWORD", "/d", str(dpi), "/f"]
    completed = subprocess.run([TOOL, "--exe", reg, "--"] + args,
                               env=dict(os.environ, DISPLAY=ensure_display()),
                               stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
                               stderr=subprocess.PIPE, timeout=180 * time_scale())
    if completed.returncode != 0 and dpi is not None:
        raise AssertionError("reg %s: status %d\n%s" % (" ".join(args), completed.returncode,
                                                       completed.stderr.decode("latin-1")))


class HostTestCase(unittest.TestCase):
    """A test case with a temporary folder per test (self.tmp, self.path(name))
    that skips when this machine cannot run the architecture under test, and
    fails when the build is missing. Its runs get self.path("appdata"), which
    does not exist unless the test makes it, as the user's application-data
    folder. LUMIVEIL_KEEP_TMP=1 keeps the folders; the skip is a failure where
    this machine could run the architecture (skips.py)."""

    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        runnable, reason = arch_runnable()
        if not runnable:
            if arch_may_skip():
                raise unittest.SkipTest(reason)
            raise AssertionError(reason)
        if not os.path.exists(plughost_exe()):
            raise AssertionError("no plughost.exe at %s: build the %s tree first" %
                                 (plughost_exe(), ARCH))

    def setUp(self):
        super().setUp()
        self.tmp = tempfile.mkdtemp(prefix="lumiveil-e2e-")
        if os.environ.get("LUMIVEIL_KEEP_TMP") != "1":
            self.addCleanup(shutil.rmtree, self.tmp, True)

    def path(self, name):
        return os.path.join(self.tmp, name)

    def run_host(self, args, trace=True, **kwargs):
        """run_plughost with a trace file in this test's folder."""
        self._runs = getattr(self, "_runs", 0) + 1
        trace_path = self.path("trace-%d.txt" % self._runs) if trace else None
        return run_plughost(with_app_data(args, self.path("appdata")), trace_path=trace_path,
                            **kwargs)

    def run_with_call_log(self, args, timeout=300):
        """plughost with Wine's relay log of every call into the system DLLs; returns
        (exit status, stdout, the `Call`/`Ret` lines of the log)."""
        ensure_display()
        log = self.path("calls.log")
        environment = dict(os.environ, WINEDEBUG="+relay")
        with open(log, "wb") as sink:
            completed = subprocess.run([TOOL, "--arch", ARCH] +
                                       with_input_checks(with_app_data(args, self.path("appdata"))),
                                       env=environment,
                                       stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
                                       stderr=sink, timeout=timeout)
        calls = []
        with open(log, encoding="latin-1") as f:
            for line in f:
                if ":Call " in line or ":Ret  " in line:
                    calls.append(line.rstrip("\n"))
        return completed.returncode, completed.stdout.decode("latin-1"), calls

    def pattern_image(self, width, height, planes=3):
        """The host's built-in picture pattern:WxH, as plughost makes it."""
        out = self.path("pattern-%dx%d-%d.png" % (width, height, planes))
        run = run_plughost(["pattern", "%dx%d" % (width, height), "--out", out,
                            "--planes", str(planes)])
        self.assertEqual(run.returncode, EXIT_OK, run.report())
        return read_png(out)

    def assertImagesEqual(self, actual, expected, message=""):
        self.assertEqual((actual.width, actual.height, actual.channels),
                         (expected.width, expected.height, expected.channels), message)
        problem = describe_difference(actual, expected)
        if problem:
            self.fail("%s%s" % (message + ": " if message else "", problem))


# ctest counts a test file that exits with this status as skipped, not passed.
EXIT_SKIPPED = 77


def arch_may_skip():
    """Whether this architecture's tests may count as skipped when its programs
    cannot run here: only where this machine cannot make them run (not root, no
    binfmt_misc) and nothing requires them (skips.py). A missing emulated root or
    runtime is the install step's failure."""
    return may_skip(machine_cannot(emulator=True))


def main():
    """unittest.main for a test file, verbose. A file whose architecture cannot
    run here says why and exits as skipped, where that may count as skipped."""
    runnable, reason = arch_runnable()
    if not runnable and arch_may_skip():
        print("skipped: %s (%s)" % (reason, machine_cannot(emulator=True)))
        sys.exit(EXIT_SKIPPED)
    if ARCH == "win32":
        print("32-bit programs here: " + ia32_status())
    unittest.main(verbosity=2)
