#!/usr/bin/env python3
"""Lists every test that ctest counted as skipped, and every test case skipped
inside a test file that passed, each with its reason, from ctest's own output and
its log of the run (Testing/Temporary/LastTest.log, which records a skip as a pass).

Usage: tools/list_skips.py CTEST_OUTPUT LAST_TEST_LOG
"""
import re
import sys

NOT_RUN = re.compile(r"^\s+\d+ - (\S+) \((Skipped|Not Run|Disabled)\)")
BLOCK_START = re.compile(r"^\d+/\d+ Testing: (\S+)")
CASE_SKIPPED = re.compile(r"^(test\w*) \(.*\) \.\.\. skipped '(.*)'$")


def outputs(log):
    """Each test's output lines, by name."""
    found, name, lines, inside = {}, None, [], False
    for line in log.splitlines():
        start = BLOCK_START.match(line)
        if start:
            name, lines, inside = start.group(1), [], False
        elif name and line == "Output:":
            inside = None  # the ruler line follows
        elif name and inside is None:
            inside = True
        elif name and line == "<end of output>":
            found[name], name = lines, None
        elif name and inside:
            lines.append(line)
    return found


def reason(lines):
    for line in lines:
        if line.startswith(("skipped:", "FAILED:")):
            return line
    last = [line for line in lines if line.strip()]
    return last[-1] if last else "(it said nothing)"


def main():
    with open(sys.argv[1], errors="replace") as f:
        not_run = [match.groups() for match in map(NOT_RUN.match, f) if match]
    try:
        with open(sys.argv[2], errors="replace") as f:
            said = outputs(f.read())
    except OSError:
        said = {}
    lines = ["%s (%s): %s" % (name, kind.lower(), reason(said.get(name, [])))
             for name, kind in not_run]
    for name in sorted(said):
        for line in said[name]:
            case = CASE_SKIPPED.match(line)
            if case:
                lines.append("%s, %s: skipped: %s" % (name, case.group(1), case.group(2)))
    print("run-tests: %d skipped%s" % (len(lines), ":" if lines else ""))
    for line in lines:
        print("  " + line)


if __name__ == "__main__":
    main()
