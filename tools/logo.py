#!/usr/bin/env python3
"""The program's logo: the wordmark "Dravolin" beside a chequered flag, with a red light-barrier
beam below it, drawn from strokes and squares and anti-aliased by 4 x 4 supersampling.

    logo.py FORM_IN FORM_OUT   the form with its logo marker replaced by the bitmap's Data
    logo.py --png OUT.png      the picture alone, to look at

The Data is the 32-bit bitmap's stored format: width and height (32-bit little endian), then the
pixels' $AARRGGBB values row by row, top first. Outside the rounded plaque alpha is 0 and the
colour is the window face's, so a viewer that ignores alpha shows no hole.
"""
import math
import struct
import sys
import zlib

WIDTH, HEIGHT = 191, 42
SS = 4  # samples per pixel in each direction
FACE = (240, 240, 240)
MARKER = "// Bitmap.Data: the logo, written by tools/logo.py at build time"

# Letters as strokes: ("l", x1, y1, x2, y2) lines, ("a", cx, cy, r, from, to) arcs in degrees
# (y grows downwards), ("d", cx, cy, r) dots. Base line at y 33, x-height 14, caps 22.
GLYPHS = {
    "D": (17, [("l", 0, 11, 0, 33), ("l", 0, 11, 6, 11), ("l", 0, 33, 6, 33), ("a", 6, 22, 11, -90, 90)]),
    "r": (10, [("l", 0, 19, 0, 33), ("a", 8, 27, 8, 180, 270), ("l", 8, 19, 10, 19.5)]),
    "a": (13, [("a", 6.5, 26, 6.5, 0, 360), ("l", 13, 19, 13, 33)]),
    "v": (13, [("l", 0, 19, 6.5, 33), ("l", 6.5, 33, 13, 19)]),
    "o": (14, [("a", 7, 26, 7, 0, 360)]),
    "l": (0, [("l", 0, 10, 0, 33)]),
    "i": (0, [("l", 0, 19, 0, 33), ("d", 0, 13, 2.4)]),
    "n": (12, [("l", 0, 19, 0, 33), ("a", 6, 25, 6, 180, 360), ("l", 12, 25, 12, 33)]),
}
STROKE = 3.6
SLANT = 0.22  # italic: x moves right by this much per pixel above the base line
BASE = 33


def segments(word, x0):
    """The word's strokes as line segments (arcs cut into short chords) and dots."""
    lines, dots, x = [], [], x0
    for ch in word:
        advance, strokes = GLYPHS[ch]
        for s in strokes:
            if s[0] == "l":
                lines.append((x + s[1], s[2], x + s[3], s[4]))
            elif s[0] == "d":
                dots.append((x + s[1], s[2], s[3]))
            else:
                _, cx, cy, r, a0, a1 = s
                steps = max(8, int(abs(a1 - a0) / 8))
                pts = [(x + cx + r * math.cos(math.radians(a0 + (a1 - a0) * k / steps)),
                        cy + r * math.sin(math.radians(a0 + (a1 - a0) * k / steps))) for k in range(steps + 1)]
                lines += [(p[0], p[1], q[0], q[1]) for p, q in zip(pts, pts[1:])]
        x += advance + STROKE + 3.2
    slant = lambda px, py: (px + (BASE - py) * SLANT, py)
    lines = [slant(a, b) + slant(c, d) for a, b, c, d in lines]
    dots = [slant(a, b) + (r,) for a, b, r in dots]
    return lines, dots, x


def seg_distance(px, py, x1, y1, x2, y2):
    dx, dy = x2 - x1, y2 - y1
    t = 0.0 if dx == dy == 0 else max(0.0, min(1.0, ((px - x1) * dx + (py - y1) * dy) / (dx * dx + dy * dy)))
    return math.hypot(px - x1 - t * dx, py - y1 - t * dy)


def coverage(inside, x_range=(0, WIDTH), y_range=(0, HEIGHT)):
    """Per-pixel coverage (0..1) of a point test, by supersampling, within the ranges."""
    cov = [[0.0] * WIDTH for _ in range(HEIGHT)]
    for y in range(*y_range):
        for x in range(*x_range):
            n = 0
            for sy in range(SS):
                for sx in range(SS):
                    n += inside(x + (sx + 0.5) / SS, y + (sy + 0.5) / SS)
            cov[y][x] = n / (SS * SS)
    return cov


def over(dst, src, a):
    return tuple(d + (s - d) * a for d, s in zip(dst, src))


def render():
    lines, dots, end_x = segments("Dravolin", 52)
    half = STROKE / 2

    def in_word(px, py):
        # Cheap reject: the word lies between x 48 and its end, y 8 to 36.
        if px < 48 or px > end_x + 12 or py < 7 or py > 37:
            return False
        if any(math.hypot(px - a, py - b) <= r for a, b, r in dots):
            return True
        return any(seg_distance(px, py, *l) <= half for l in lines)

    def flag_cell(px, py):
        """The flag's square at this point (waving), or None; the pole is -1."""
        if 7 <= px <= 9.2 and 4 <= py <= 38:
            return -1
        u = px - 9.5
        if u < 0 or u > 34:
            return None
        v = py - 6 - 2.2 * math.sin(u / 34 * math.pi * 1.6)
        if v < 0 or v > 20:
            return None
        return (int(u / 34 * 6) + int(v / 20 * 4)) % 2

    def in_plaque(px, py):
        r = 8.0
        cx = min(max(px, r), WIDTH - r)
        cy = min(max(py, r), HEIGHT - r)
        return math.hypot(px - cx, py - cy) <= r

    plaque = [[1.0] * WIDTH for _ in range(HEIGHT)]
    for xs in ((0, 9), (WIDTH - 9, WIDTH)):  # only the rounded corners are partly covered
        for ys in ((0, 9), (HEIGHT - 9, HEIGHT)):
            part = coverage(in_plaque, xs, ys)
            for y in range(*ys):
                plaque[y][xs[0]:xs[1]] = part[y][xs[0]:xs[1]]
    word = coverage(in_word, (48, min(WIDTH, int(end_x) + 12)), (7, 38))
    black = coverage(lambda px, py: flag_cell(px, py) in (1, -1), (0, 46))
    white = coverage(lambda px, py: flag_cell(px, py) == 0, (0, 46))
    pixels = []
    for y in range(HEIGHT):
        for x in range(WIDTH):
            # The plaque: white at the top to a light silver.
            t = y / (HEIGHT - 1)
            c = (255 - 40 * t, 255 - 36 * t, 255 - 30 * t)
            # The light barrier's beam under the word: a red line with a soft glow.
            if 50 <= x <= 186:
                d = abs(y - 38.5)
                glow = max(0.0, 1 - d / 2.5) * min(1.0, (x - 50) / 12, (186 - x) / 12)
                c = over(c, (220, 20, 30), glow)
            c = over(c, (0, 0, 0), black[y][x])
            c = over(c, (255, 255, 255), white[y][x])
            # The word in navy, lit towards its top.
            c = over(c, (10 + 30 * (1 - t), 30 + 50 * (1 - t), 110 + 60 * (1 - t)), word[y][x])
            a = plaque[y][x]
            rgb = over(FACE, c, a)
            pixels.append((round(a * 255),) + tuple(round(v) for v in rgb))
    return pixels


def data_bytes(pixels):
    out = bytearray(struct.pack("<ii", WIDTH, HEIGHT))
    for a, r, g, b in pixels:
        out += bytes((b, g, r, a))
    return bytes(out)


def write_png(path, pixels):
    rows = b"".join(b"\0" + bytes(v for a, r, g, b in pixels[y * WIDTH:(y + 1) * WIDTH] for v in (r, g, b, a))
                    for y in range(HEIGHT))
    chunk = lambda kind, body: struct.pack(">I", len(body)) + kind + body + struct.pack(
        ">I", zlib.crc32(kind + body) & 0xFFFFFFFF)
    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", WIDTH, HEIGHT, 8, 6, 0, 0, 0)) +
                chunk(b"IDAT", zlib.compress(rows, 9)) + chunk(b"IEND", b""))


def main(argv):
    pixels = render()
    if len(argv) == 3 and argv[1] == "--png":
        write_png(argv[2], pixels)
        return 0
    if len(argv) != 3:
        sys.stderr.write(__doc__)
        return 2
    source = open(argv[1], encoding="utf-8").read()
    if source.count(MARKER) != 1:
        sys.stderr.write("%s: expected the logo marker once\n" % argv[1])
        return 1
    indent = source[:source.index(MARKER)].rsplit("\n", 1)[1]
    hexdata = data_bytes(pixels).hex().upper()
    rows = [hexdata[i:i + 96] for i in range(0, len(hexdata), 96)]
    value = "Bitmap.Data = {\n" + "\n".join(indent + "  " + r for r in rows) + "}"
    with open(argv[2], "w", encoding="utf-8", newline="\n") as f:
        f.write(source.replace(MARKER, value))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
