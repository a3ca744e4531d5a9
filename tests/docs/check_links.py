#!/usr/bin/env python3
"""Every relative link in README.md and docs/ reaches a file, and every #anchor a heading.

    python3 tests/docs/check_links.py [REPO_ROOT]

Links are Markdown's inline links and images, [text](target) and ![alt](target),
outside code; anchors are checked against the target's headings as GitHub names
them (lower case, punctuation dropped, spaces as hyphens, a repeated heading's
name followed by -1, -2, ...). Links with a scheme (https:, mailto:) are left
alone. Prints each broken link with its file and line; exits 1 if there is one.
"""

import os
import re
import sys
import urllib.parse

FENCE = re.compile(r"^\s*(```|~~~)")
CODE_SPAN = re.compile(r"(`+)(.+?)\1")
# The target half of [text](target) and ![alt](target): the text may wrap onto the line before.
LINK = re.compile(r"\]\(\s*<?([^)\s>]*)>?(?:\s+\"[^\"]*\")?\s*\)")
HEADING = re.compile(r"^ {0,3}(#{1,6})\s+(.*?)\s*#*\s*$")
SCHEME = re.compile(r"^[a-zA-Z][a-zA-Z0-9+.-]*:")


def prose_lines(text):
    """The file's lines with their numbers, leaving out fenced code blocks."""
    fenced = False
    for number, line in enumerate(text.split("\n"), 1):
        if FENCE.match(line):
            fenced = not fenced
            continue
        if not fenced:
            yield number, line


def slug(heading):
    text = CODE_SPAN.sub(lambda m: m.group(2), heading)
    text = re.sub(r"!?\[([^\]]*)\]\([^)]*\)", r"\1", text)
    text = re.sub(r"[*]", "", text).strip().lower()
    text = re.sub(r"[^\w\- ]", "", text)
    return text.replace(" ", "-")


def anchors(path):
    seen = {}
    names = set()
    with open(path, encoding="utf-8") as f:
        text = f.read()
    for _, line in prose_lines(text):
        match = HEADING.match(line)
        if not match:
            continue
        name = slug(match.group(2))
        count = seen.get(name, 0)
        seen[name] = count + 1
        names.add(name if count == 0 else "%s-%d" % (name, count))
    return names


def broken_links(root, path):
    with open(path, encoding="utf-8") as f:
        text = f.read()
    here = os.path.dirname(path)
    for number, line in prose_lines(text):
        for match in LINK.finditer(CODE_SPAN.sub("", line)):
            target = match.group(1)
            if not target or SCHEME.match(target):
                continue
            file_part, _, fragment = target.partition("#")
            file_part = urllib.parse.unquote(file_part)
            resolved = os.path.normpath(os.path.join(here, file_part)) if file_part else path
            where = "%s:%d: %s" % (os.path.relpath(path, root), number, target)
            if not os.path.exists(resolved):
                yield where + " (no such file)"
            elif fragment and resolved.endswith(".md"):
                if urllib.parse.unquote(fragment).lower() not in anchors(resolved):
                    yield where + " (no such heading)"


def pages(root):
    found = [os.path.join(root, "README.md")]
    for folder, _, files in os.walk(os.path.join(root, "docs")):
        found += [os.path.join(folder, name) for name in sorted(files) if name.endswith(".md")]
    return found


def main():
    root = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else os.getcwd())
    problems = [p for page in pages(root) for p in broken_links(root, page)]
    for problem in problems:
        print("broken link: " + problem)
    checked = len(pages(root))
    print("links: %d pages, %d broken" % (checked, len(problems)))
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
