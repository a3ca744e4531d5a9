#!/usr/bin/env python3
"""Checks that the rooms' include arrows point one way.

Reads every `#include "room/file"` line of the sources and fails, naming the
offending lines, when
  - a room of the module includes a room ranked above it (LEVELS below),
  - the folders' include graph has a cycle (whatever the folders),
  - files include each other in a loop,
  - engine/ includes anything outside itself and the standard library.

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
SOURCE_SUFFIXES = (".h", ".cpp")
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


def includes_of(root, path):
    quoted, angled = [], []
    with open(os.path.join(root, path), encoding="utf-8", errors="replace") as source:
        for number, line in enumerate(source, 1):
            match = QUOTED.match(line)
            if match and "/" in match.group(1):
                quoted.append((number, match.group(1)))
            match = ANGLED.match(line)
            if match:
                angled.append((number, match.group(1)))
    return quoted, angled


def room_of(path):
    return path.split("/", 1)[0]


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
    room_graph = {}
    for path in source_files(root):
        quoted, angled = includes_of(root, path)
        room = room_of(path)
        for number, target in quoted:
            where = "%s:%d includes %s" % (path, number, target)
            target_room = room_of(target)
            if os.path.exists(os.path.join(root, target)):
                file_graph.setdefault(path, set()).add(target)
            if target_room != room:
                room_graph.setdefault(room, set()).add(target_room)
            if room == "engine" and target_room != "engine":
                problems.append(where + ": the engine includes nothing outside itself")
            elif room in LEVELS and target_room in LEVELS and \
                    LEVELS[target_room] > LEVELS[room]:
                problems.append(where + ": %s is above %s" % (target_room, room))
        if room == "engine":
            for number, target in angled:
                if not ENGINE_SYSTEM_HEADER.match(target):
                    problems.append("%s:%d includes <%s>: the engine uses only the standard "
                                    "library" % (path, number, target))
    cycle = find_cycle(room_graph)
    if cycle:
        problems.append("folders include each other in a loop: " + " -> ".join(cycle))
    cycle = find_cycle(file_graph)
    if cycle:
        problems.append("files include each other in a loop: " + " -> ".join(cycle))
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
