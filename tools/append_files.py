#!/usr/bin/env python3
"""Appends files to a built Dravolin executable as its file table.

    append_files.py EXE NAME=FILE [NAME=FILE ...]

NAME is the file's path relative to the executable's folder ("/" or "\\" as separators;
stored with "\\"). The executable must hold the 36 signature characters exactly once;
the table's position is written into the 8 bytes behind them. An executable that already
carries a table has it replaced, so running the step twice gives the same file.

Layout: each file's data starts on a 256-byte boundary; then the records, each
next-record position, data position and size (8 bytes little-endian each) and the name
padded with blanks to 256 bytes (longer names make a longer record); then 8 zero bytes.
"""
import os
import struct
import sys

SIGNATURE = b"6637DB2E-62E1-4A60-AC19-C23867046A89"
ALIGN = 256
RECORD = 256


def fail(message):
    sys.exit(f"append_files: {message}")


def pad(data):
    data.extend(b"\0" * (-len(data) % ALIGN))


def appended_start(data, position):
    """The first byte of the appended area of an executable that already has a table."""
    lowest = position
    for _ in range(4096):
        if position + 8 > len(data):
            fail("the existing table is damaged")
        (following,) = struct.unpack_from("<Q", data, position)
        if following == 0:
            return lowest
        if following < position + 24 or following + 8 > len(data):
            fail("the existing table is damaged")
        offset, size = struct.unpack_from("<QQ", data, position + 8)
        if offset + size > len(data):
            fail("the existing table is damaged")
        lowest = min(lowest, offset)
        position = following
    fail("the existing table does not end")


def main(argv):
    if len(argv) < 3:
        fail("usage: append_files.py EXE NAME=FILE [NAME=FILE ...]")
    exe = argv[1]
    entries = []
    for argument in argv[2:]:
        name, sep, path = argument.partition("=")
        if not sep or not name or not path:
            fail(f"expected NAME=FILE, got {argument!r}")
        name = name.replace("/", "\\")
        if not name.isascii() or name.strip() != name:
            fail(f"names are ASCII without outer blanks: {name!r}")
        with open(path, "rb") as f:
            entries.append((name.encode("ascii"), f.read()))

    with open(exe, "rb") as f:
        data = bytearray(f.read())
    found = data.find(SIGNATURE)
    if found < 0:
        fail(f"{exe} holds no file-table signature (is the translation runtime linked?)")
    if data.find(SIGNATURE, found + 1) >= 0:
        fail(f"{exe} holds the file-table signature more than once")
    slot = found + len(SIGNATURE)
    (old_position,) = struct.unpack_from("<Q", data, slot)
    if old_position:
        del data[appended_start(data, old_position):]
        struct.pack_into("<Q", data, slot, 0)

    pad(data)
    placed = []
    for name, content in entries:
        placed.append((name, len(data), len(content)))
        data.extend(content)
        pad(data)

    table = len(data)
    position = table
    for name, offset, size in placed:
        length = max(RECORD, 24 + len(name))
        record = struct.pack("<QQQ", position + length, offset, size) + name
        data.extend(record.ljust(length, b" "))
        position += length
    data.extend(b"\0" * 8)
    struct.pack_into("<Q", data, slot, table)

    temporary = exe + ".appending"
    with open(temporary, "wb") as f:
        f.write(data)
    os.chmod(temporary, os.stat(exe).st_mode)
    os.replace(temporary, exe)


if __name__ == "__main__":
    main(sys.argv)
