#!/usr/bin/env python3
"""Checks that the rooms' include arrows point one way.

Reads every `#include` line of the sources that names a file of the repository,
in any form the compiler resolves (quoted, beside the including file or from the
root; angled, from the root; with `../` or not), and fails, naming the offending
lines, when
  - a room of the module includes a room ranked above it (LEVELS below),
  - the folders' include graph has a cycle (whatever the folders),
  - files include each other in a loop,
  - units (a .cpp with its .h) include each other in a loop,
  - engine/ includes anything outside itself and the standard library,
  - a part of plughost includes a part ranked above it (PLUGHOST_PARTS), or
    main.cpp, which stands above them all,
  - the parts of plughost include each other in a loop,
  - a source file of plughost lies outside its parts (only main.cpp may stay
    at the top),
  - a room of the module includes an operating system's own interface headers
    (<windows.h>, <commdlg.h>, ...) or a file of a platform side (platform/win/,
    platform/mac/) from outside that side: everything above the platform
    interface (platform/*.h) builds for every platform.

Usage: tools/check_layers.py [repository root]
"""
import os
import re
import sys

# The module's rooms from the bottom up: a room may include its own level and
# those below, never one above.
LEVELS = {
    "engine": 0,
    "sdk": 0,
    "resources": 0,
    "text": 1,
    "platform": 1,
    "strips": 1,
    "params": 2,
    "ui": 3,
    "host": 4,
}
# The reference host's parts from the bottom up, ranked like the rooms; its
# main.cpp, at the top of plughost/, stands above them all.
PLUGHOST_PARTS = {
    "pictures": 0,
    "cli": 1,
    "record": 2,
    "module": 3,
    "dialog": 3,
    "commands": 4,
}
PLUGHOST_TOP_FILES = {"main.cpp"}
# The sides of the platform interface: each implements platform/*.h for one
# operating system and alone may use that system's headers.
PLATFORM_SIDES = ("platform/win/", "platform/mac/")
SYSTEM_INTERFACE_HEADER = re.compile(
    r"^(windows|windowsx|winuser|commctrl|commdlg|shlobj|objbase)\.h$|"
    r"^(objc|CoreFoundation|CoreGraphics|ApplicationServices|AppKit|Cocoa|Carbon)/")
SOURCE_SUFFIXES = (".h", ".cpp", ".mm")
SKIPPED_FOLDERS = {".git", "build", "release"}
QUOTED = re.compile(r'^\s*#\s*include\s+"([^"]+)"')
ANGLED = re.compile(r"^\s*#\s*include\s+<([^>]+)>")
# The processor's vector intrinsics come with the compiler, like the standard library.
ENGINE_SYSTEM_HEADER = re.compile(r"^([a-z_]+|[a-z0-9]*intrin\.h|arm_neon\.h)$")


def source_files(root):
    for folder, subfolders, files in os.walk(root):
        subfolders[:] = [name for name in subfolders if name not in SKIPPED_FOLDERS]
        for name in files:
            if name.endswith(SOURCE_SUFFIXES):
                path = os.path.join(folder, name)
                yield os.path.relpath(path, root).replace(os.sep, "/")


def inside(root, candidate):
    """candidate (relative to root, maybe with ../) as a repository path, when it
    names a file of the repository; else None."""
    path = os.path.normpath(candidate).replace(os.sep, "/")
    if path.startswith("../") or os.path.isabs(path):
        return None
    return path if os.path.isfile(os.path.join(root, path)) else None


def includes_of(root, path):
    """(line number, as written, repository path) of every include that names a
    file of the repository, and (line number, as written) of every other angled
    include. A quoted name is looked for beside the including file first, then
    from the root (the build's include folder); an angled one from the root."""
    local, system = [], []
    folder = os.path.dirname(path)
    with open(os.path.join(root, path), encoding="utf-8", errors="replace") as source:
        for number, line in enumerate(source, 1):
            quoted = QUOTED.match(line)
            angled = ANGLED.match(line)
            if quoted:
                name = quoted.group(1)
                target = inside(root, os.path.join(folder, name)) or inside(root, name)
            elif angled:
                name = angled.group(1)
                target = inside(root, name)
            else:
                continue
            if target:
                local.append((number, name, target))
            elif angled:
                system.append((number, name))
    return local, system


def unit_of(path):
    """A .cpp and its .h are one unit."""
    return os.path.splitext(path)[0]


def room_of(path):
    return path.split("/", 1)[0]


def plughost_part_of(path):
    """The part of a file of plughost/ ("cli" for plughost/cli/trace.h), "" for
    one at plughost's top; None for a file elsewhere."""
    folders = path.split("/")
    if folders[0] != "plughost":
        return None
    return folders[1] if len(folders) > 2 else ""


def plughost_part_name(part):
    return "plughost/" + part if part else "plughost's top"


def plughost_rank(part):
    """The rank of a part; the top of plughost above every part."""
    return PLUGHOST_PARTS.get(part, max(PLUGHOST_PARTS.values()) + 1)
def platform_side_of(path):
    """The platform side (e.g. "platform/win/") a file belongs to, or None."""
    for side in PLATFORM_SIDES:
        if path.startswith(side):
            return side
    return None


def find_cycle(graph):
    """One cycle of the graph as a list of nodes, or None."""
    state = {}
    trail = []

    def visit(node):
        state[node] = "open"
        trail.append(node)
        for target in sorted(graph.get(node, ())):
            if state.get(target) == "open":
                return trail[trail.index(target):] + [target]
            if target not in state:
                cycle = visit(target)
                if cycle:
                    return cycle
        trail.pop()
        state[node] = "done"
        return None

    for node in sorted(graph):
        if node not in state:
            cycle = visit(node)
            if cycle:
                return cycle
    return None


def check(root):
    problems = []
    file_graph = {}
    unit_graph = {}
    room_graph = {}
    part_graph = {}
    for path in source_files(root):
        local, system = includes_of(root, path)
        room = room_of(path)
        part = plughost_part_of(path)
        if part == "" and path.split("/")[-1] not in PLUGHOST_TOP_FILES:
            problems.append("%s: plughost keeps only %s at its top; this file belongs in one "
                            "of its parts" % (path, ", ".join(sorted(PLUGHOST_TOP_FILES))))
        elif part and part not in PLUGHOST_PARTS:
            problems.append("%s: plughost/%s is none of plughost's parts (%s)" %
                            (path, part, ", ".join(sorted(PLUGHOST_PARTS))))
        for number, name, target in local:
            where = "%s:%d includes %s" % (path, number, name)
            if name != target:
                where += " (%s)" % target
            target_room = room_of(target)
            file_graph.setdefault(path, set()).add(target)
            if unit_of(target) != unit_of(path):
                unit_graph.setdefault(unit_of(path), set()).add(unit_of(target))
            if target_room != room:
                room_graph.setdefault(room, set()).add(target_room)
            if room == "engine" and target_room != "engine":
                problems.append(where + ": the engine includes nothing outside itself")
            elif room in LEVELS and target_room in LEVELS and \
                    LEVELS[target_room] > LEVELS[room]:
                problems.append(where + ": %s is above %s" % (target_room, room))
            target_part = plughost_part_of(target)
            if part is not None and target_part is not None and target_part != part:
                part_graph.setdefault(part, set()).add(target_part)
                if plughost_rank(target_part) > plughost_rank(part):
                    problems.append(where + ": %s is above %s" % (plughost_part_name(target_part),
                                                                  plughost_part_name(part)))
            target_side = platform_side_of(target)
            if room in LEVELS and target_side and target_side != platform_side_of(path):
                problems.append(where + ": only %s itself uses its own headers; the rest "
                                "of the module goes through platform/*.h" % target_side)
        if room in LEVELS and room != "engine" and not platform_side_of(path):
            for number, target in system:
                if SYSTEM_INTERFACE_HEADER.match(target):
                    problems.append("%s:%d includes <%s>: only a platform side (%s) uses the "
                                    "system's own headers" %
                                    (path, number, target, ", ".join(PLATFORM_SIDES)))
        if room == "engine":
            for number, target in system:
                if not ENGINE_SYSTEM_HEADER.match(target):
                    problems.append("%s:%d includes <%s>: the engine uses only the standard "
                                    "library" % (path, number, target))
    cycle = find_cycle(room_graph)
    if cycle:
        problems.append("folders include each other in a loop: " + " -> ".join(cycle))
    cycle = find_cycle(part_graph)
    if cycle:
        problems.append("plughost's parts include each other in a loop: " +
                        " -> ".join(plughost_part_name(part) for part in cycle))
    cycle = find_cycle(file_graph)
    if cycle:
        problems.append("files include each other in a loop: " + " -> ".join(cycle))
    cycle = find_cycle(unit_graph)
    if cycle:
        problems.append("units (a .cpp with its .h) include each other in a loop: " +
                        " -> ".join(cycle))
    return problems


def main():
    root = sys.argv[1] if len(sys.argv) > 1 else \
        os.path.join(os.path.dirname(os.path.abspath(__file__)), "..")
    problems = check(os.path.abspath(root))
    for problem in problems:
        print(problem)
    if problems:
        return 1
    print("check_layers: every include points down")
    return 0


if __name__ == "__main__":
    sys.exit(main())
