#!/usr/bin/env python3
"""Downloads the upstream tarballs of a Debian source package from a Debian mirror.

    python3 tools/debian_source.py MIRROR DEST PACKAGE SUITE [SUITE...]

Reads each SUITE's source index (main) in turn and takes the package's version
there whose original tarballs (*.orig.tar.*, *.orig-COMPONENT.tar.*) all download;
each is checked against the index's SHA-256 and written into DEST, and its path
printed, one a line (the main tarball first). The next suite is tried only when a
suite lacks the package or one of its tarballs: a mirror keeps a package's files
for a while after a newer version replaces it, and drops them now and then before
its index does.

apt-get source needs the .dsc and the Debian patches as well, and gives up when
either is missing; the Windows builds use the upstream tarballs alone, so this asks
for no more than those. Exit status 1 when no suite offers them.
"""

import hashlib
import lzma
import os
import sys
import urllib.error
import urllib.request

TIMEOUT_SECONDS = 120


def fetch(url):
    with urllib.request.urlopen(url, timeout=TIMEOUT_SECONDS) as response:
        return response.read()


def source_index(mirror, suite, dest):
    """The suite's Sources index, kept in DEST so that later packages reuse it."""
    path = os.path.join(dest, f"Sources.{suite}")
    if not os.path.exists(path):
        data = lzma.decompress(fetch(f"{mirror}/dists/{suite}/main/source/Sources.xz"))
        with open(path + ".part", "wb") as f:
            f.write(data)
        os.replace(path + ".part", path)
    with open(path, encoding="utf-8", errors="replace") as f:
        return f.read()


def stanzas(index, package):
    """The index's records of PACKAGE as {field: value}, continuation lines kept."""
    for block in index.split("\n\n"):
        fields, name = {}, None
        for line in block.splitlines():
            if line[:1] in (" ", "\t") and name:
                fields[name] += "\n" + line.strip()
            elif ":" in line:
                name, value = line.split(":", 1)
                fields[name] = value.strip()
        if fields.get("Package") == package:
            yield fields


def orig_tarballs(fields):
    """(name, sha256) of the upstream tarballs, the main one first."""
    found = []
    for line in fields.get("Checksums-Sha256", "").splitlines():
        parts = line.split()
        if len(parts) == 3 and ".orig" in parts[2] and ".asc" not in parts[2]:
            found.append((parts[2], parts[0]))
    return sorted(found, key=lambda item: ("orig-" in item[0], item[0]))


def download(mirror, directory, name, sha256, dest):
    path = os.path.join(dest, name)
    if os.path.exists(path) and hashlib.sha256(open(path, "rb").read()).hexdigest() == sha256:
        return path
    data = fetch(f"{mirror}/{directory}/{name}")
    if hashlib.sha256(data).hexdigest() != sha256:
        raise ValueError(f"{name}: SHA-256 differs from the index's")
    with open(path, "wb") as f:
        f.write(data)
    return path


def main(arguments):
    if len(arguments) < 4:
        print(__doc__.strip().splitlines()[2].strip(), file=sys.stderr)
        return 2
    mirror, dest, package, suites = arguments[0].rstrip("/"), arguments[1], arguments[2], arguments[3:]
    os.makedirs(dest, exist_ok=True)
    reasons = []
    for suite in suites:
        try:
            index = source_index(mirror, suite, dest)
        except (urllib.error.URLError, OSError, lzma.LZMAError) as error:
            reasons.append(f"{suite}: no source index ({error})")
            continue
        for fields in stanzas(index, package):
            tarballs = orig_tarballs(fields)
            try:
                paths = [download(mirror, fields["Directory"], name, sha, dest) for name, sha in tarballs]
            except (urllib.error.URLError, OSError, ValueError) as error:
                reasons.append(f"{suite} {fields.get('Version')}: {error}")
                continue
            if paths:
                print("\n".join(paths))
                return 0
        reasons.append(f"{suite}: no downloadable {package}")
    print(f"debian_source: {package}: " + "; ".join(reasons), file=sys.stderr)
    return 1


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
