#!/usr/bin/env python3
"""Writes a Windows BMP from a pixel-art text description.

The description holds, one per line (blank lines and lines starting with # are skipped):
    size W H            image size in pixels
    bits 4|8|24         bits per pixel of the file (4 and 8 use a palette)
    colour C RRGGBB     one colour per character C
    rows                the H rows that follow, from the top, W characters each
"""
import struct
import sys


def parse(path):
    width = height = None
    bits = 24
    colours = {}
    rows = []
    in_rows = False
    with open(path, encoding="ascii") as src:
        for number, raw in enumerate(src, 1):
            line = raw.rstrip("\n")
            where = f"{path}:{number}"
            if in_rows:
                if line.strip() == "" or line.startswith("#"):
                    continue
                row = line.strip()
                if len(row) != width:
                    sys.exit(f"{where}: row has {len(row)} pixels, expected {width}")
                unknown = set(row) - colours.keys()
                if unknown:
                    sys.exit(f"{where}: no colour defined for {''.join(sorted(unknown))}")
                rows.append(row)
                continue
            words = line.split()
            if not words or words[0].startswith("#"):
                continue
            if words[0] == "size" and len(words) == 3:
                width, height = int(words[1]), int(words[2])
            elif words[0] == "bits" and len(words) == 2 and words[1] in ("4", "8", "24"):
                bits = int(words[1])
            elif words[0] == "colour" and len(words) == 3 and len(words[1]) == 1:
                colours[words[1]] = int(words[2], 16)
            elif words[0] == "rows" and len(words) == 1:
                if width is None:
                    sys.exit(f"{where}: 'size' must come before 'rows'")
                in_rows = True
            else:
                sys.exit(f"{where}: cannot read '{line}'")
    if not in_rows or len(rows) != height:
        sys.exit(f"{path}: expected {height} rows, found {len(rows)}")
    if bits < 24 and len(colours) > (1 << bits):
        sys.exit(f"{path}: {len(colours)} colours do not fit {bits} bits per pixel")
    return width, height, bits, colours, rows


def encode(width, height, bits, colours, rows):
    palette = sorted(set(colours.values()), key=list(colours.values()).index) if bits < 24 else []
    index = {c: palette.index(v) for c, v in colours.items()} if palette else {}
    stride = (width * bits + 31) // 32 * 4
    pixels = bytearray()
    for row in reversed(rows):  # BMP rows run bottom-up
        line = bytearray()
        if bits == 24:
            for c in row:
                v = colours[c]
                line += bytes((v & 0xFF, (v >> 8) & 0xFF, (v >> 16) & 0xFF))
        elif bits == 8:
            line += bytes(index[c] for c in row)
        else:
            for i in range(0, width, 2):
                hi = index[row[i]]
                lo = index[row[i + 1]] if i + 1 < width else 0
                line.append(hi << 4 | lo)
        line += bytes(stride - len(line))
        pixels += line
    table_size = (1 << bits) if bits < 24 else 0
    table = bytearray()
    for i in range(table_size):
        v = palette[i] if i < len(palette) else 0
        table += bytes((v & 0xFF, (v >> 8) & 0xFF, (v >> 16) & 0xFF, 0))
    offset = 14 + 40 + len(table)
    header = struct.pack("<2sIHHI", b"BM", offset + len(pixels), 0, 0, offset)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, bits, 0, len(pixels),
                       2835, 2835, table_size, 0)
    return header + info + table + pixels


def main():
    if len(sys.argv) != 3:
        sys.exit("usage: pixelart_bmp.py DESCRIPTION OUTPUT.bmp")
    data = encode(*parse(sys.argv[1]))
    with open(sys.argv[2], "wb") as out:
        out.write(data)


if __name__ == "__main__":
    main()
