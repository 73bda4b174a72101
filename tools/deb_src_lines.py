#!/usr/bin/env python3
"""Prints the deb-src lines for the Debian archives this machine's apt is configured with.

Usage: deb_src_lines.py CODENAME [APT_ETC_DIR]

Reads sources.list and sources.list.d/ (one-line *.list files and deb822 *.sources files, as
apt reads them) and turns every enabled "deb" entry of the release CODENAME (its suites
CODENAME and CODENAME-something) into a deb-src line for the component "main", with the
entry's own options (signed-by above all) and mirror. Entries for other releases or other
projects' repositories are left out: they carry no source of ours and may not be reachable.
Exits 1 when no entry fits.
"""

import os
import re
import sys


def release_suite(suite, codename):
    return suite == codename or suite.startswith(codename + "-")


def one_line_entries(text):
    """(types, options, uri, suite, components) of each line of a one-line sources file."""
    for line in text.splitlines():
        line = line.split("#", 1)[0].strip()
        if not line:
            continue
        match = re.match(r"(\S+)\s+(?:\[([^\]]*)\]\s+)?(\S+)\s+(\S+)\s*(.*)$", line)
        if not match:
            continue
        kind, options, uri, suite, components = match.groups()
        yield [kind], (options or "").split(), uri, suite, components.split()


def deb822_entries(text):
    """The same for a deb822 .sources file: stanzas split by blank lines, fields folded."""
    stanzas, fields, last = [], {}, None
    for line in text.splitlines() + [""]:
        if line.startswith("#"):
            continue
        if not line.strip():
            if fields:
                stanzas.append(fields)
            fields, last = {}, None
        elif line[0] in " \t" and last:
            fields[last] += " " + line.strip()
        elif ":" in line:
            key, value = line.split(":", 1)
            last = key.strip().lower()
            fields[last] = value.strip()
    for fields in stanzas:
        if fields.get("enabled", "yes").lower() == "no":
            continue
        options = []
        keyring = fields.get("signed-by", "").split()
        # An inline key block cannot go on one line; apt then uses its trusted keys.
        if len(keyring) == 1:
            options.append("signed-by=" + keyring[0])
        if fields.get("trusted", "").lower() == "yes":
            options.append("trusted=yes")
        for uri in fields.get("uris", "").split():
            for suite in fields.get("suites", "").split():
                yield fields.get("types", "").split(), options, uri, suite, fields.get(
                    "components", "").split()


def source_files(etc):
    main = os.path.join(etc, "sources.list")
    if os.path.isfile(main):
        yield main, one_line_entries
    parts = os.path.join(etc, "sources.list.d")
    if os.path.isdir(parts):
        for name in sorted(os.listdir(parts)):
            if name.endswith(".list"):
                yield os.path.join(parts, name), one_line_entries
            elif name.endswith(".sources"):
                yield os.path.join(parts, name), deb822_entries


def deb_src_lines(codename, etc):
    lines = []
    for path, reader in source_files(etc):
        with open(path, encoding="utf-8", errors="replace") as f:
            text = f.read()
        for types, options, uri, suite, components in reader(text):
            if "deb" not in types or not release_suite(suite, codename) or "main" not in components:
                continue
            kept = [o for o in options if o.split("=", 1)[0] in ("signed-by", "trusted")]
            line = "deb-src " + (f"[{' '.join(kept)}] " if kept else "") + f"{uri} {suite} main"
            if line not in lines:
                lines.append(line)
    return lines


def main(argv):
    if len(argv) not in (2, 3):
        print(__doc__.strip().splitlines()[2], file=sys.stderr)
        return 2
    lines = deb_src_lines(argv[1], argv[2] if len(argv) == 3 else "/etc/apt")
    for line in lines:
        print(line)
    return 0 if lines else 1


if __name__ == "__main__":
    sys.exit(main(sys.argv))
