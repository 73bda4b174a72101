#!/usr/bin/env python3
"""Builds the program's internal skin "GrayPlastic (internal)" and the skin engine's stored
pictures from the readable sources in resources/skin/ (sections.ini, masks.txt, art.py).

    skin.py build SKIN_DIR OUT_DIR
        OUT_DIR/internal_skin.fragment   the skin manager's InternalSkins property block
        OUT_DIR/GrayPlastic/             the same skin as a skin folder (Options.dat, master.bmp,
                                         own-image masks as BMP files, one JPEG pattern)
        OUT_DIR/BORD1.bmp .. BORD6.bmp   the stored border bitmaps
        OUT_DIR/SF.bmp SR SD SE SC       the stored combo-box glyphs
        OUT_DIR/skin_contact.png         every picture in every state, 3 x, on grey and white
    skin.py insert FRAGMENT FORM_IN FORM_OUT
        the form with its marker line replaced by the fragment, indented like the marker
    skin.py --check SKIN_DIR OUT_DIR
        verifies the built files (names, rectangles, cells, masks; fragment = Options.dat)

Standard library only; the output depends on the sources alone.
"""
import importlib.util
import math
import os
import re
import struct
import sys
import zlib

SKIN_NAME = "GrayPlastic (internal)"
FOLDER_NAME = "GrayPlastic"
MASTER_W, MASTER_H = 192, 256
MAGENTA = (255, 0, 255)
MARKER = "// InternalSkins: the internal skin, written by tools/skin.py at build time"

CONTROL_BEVELS = ["cbNone", "cbRaisedSoft", "cbLoweredSoft", "cbRaisedHard", "cbLoweredHard"]
EDITOR_BEVELS = ["ebNone", "ebRaised", "ebLowered", "ebAsTopBorder", "ebAsBottomBorder"]

# The general-data fields in table order: name, kind, default (a skin folder's default).
FIELDS = [
    ("ParentClassName", "str", ""),
    ("PaintingColor", "colour", 16777215),
    ("PaintingBevel", "cbevel", 0),
    ("PaintingBevelWidth", "int", 2),
    ("FontColor", "font", [0, -1, -1, -1, -1]),
    ("HotFontColor", "font", [0, -1, -1, -1, -1]),
    ("ReservedBoolean", "bool", False),
    ("ShadowBlur", "int", 6),
    ("ShadowColor", "colour", 0),
    ("ShadowDontUse", "bool", False),
    ("ShadowEnabled", "bool", False),
    ("ShadowOffset", "int", 3),
    ("ShadowTransparency", "int", 50),
    ("PaintingTransparency", "int", 0),
    ("GradientPercent", "int", 0),
    ("GradientData", "grad", " "),
    ("ImagePercent", "int", 0),
    ("ShowFocus", "bool", False),
    ("FadingEnabled", "bool", False),
    ("FadingIntervalIn", "int", 5),
    ("FadingIntervalOut", "int", 5),
    ("FadingIterations", "int", 5),
    ("HotPaintingColor", "colour", 16777215),
    ("HotPaintingTransparency", "int", 0),
    ("HotPaintingBevel", "cbevel", 0),
    ("HotPaintingBevelWidth", "int", 2),
    ("HotGradientPercent", "int", 0),
    ("HotGradientData", "grad", ""),
    ("HotImagePercent", "int", 0),
    ("PaintingColorBorderTop", "colour", 0),
    ("PaintingColorBorderBottom", "colour", 0),
    ("SelectionBorderBevel", "ebevel", 2),
    ("SelectionBorderWidth", "int", 2),
    ("SelectionColor", "colour", 16777215),
]
FIELD_KINDS = {name: kind for name, kind, _ in FIELDS}
FONT_KEYS = {"FontColor": ["FONTCOLOR", "TCLEFT", "TCTOP", "TCRIGHT", "TCBOTTOM"],
             "HotFontColor": ["HOTFONTCOLOR", "HOTTCLEFT", "HOTTCTOP", "HOTTCRIGHT", "HOTTCBOTTOM"]}

# Every section and mask that the skin engine and the skinned controls look up by name.
REQUIRED_SECTIONS = [
    "GLOBALINFO", "FORM", "FORMTITLE", "DIALOG", "MDIAREA", "MAINMENU", "MENUITEM", "MENULINE",
    "TITLEBUTTON", "TSBUTTON", "TSBITBTN", "TSSPEEDBUTTON", "DIVIDER", "COLHEADER", "TSEDIT",
    "TSSPINEDIT", "TSCOMBOBOX", "TSLISTBOX", "TSLISTVIEW", "SIMPLYEDIT", "GRID", "TSPANEL",
    "TSGROUPBOX", "TSGRIP", "TSCHECKBOX", "TSRADIOBUTTON", "TSGROUPBUTTON", "TSLABEL", "TSBEVEL",
    "SCROLLBTNTOP", "SCROLLBTNBOTTOM", "SCROLLBTNLEFT", "SCROLLBTNRIGHT", "SCROLLSLIDERV",
    "SCROLLSLIDERH", "SCROLLBAR1H", "SCROLLBAR1V", "SCROLLBAR2H", "SCROLLBAR2V",
    "TABTOP", "TABBOTTOM", "TABLEFT", "TABRIGHT"]
_SCROLL_BTNS = ["SCROLLBTNTOP", "SCROLLBTNBOTTOM", "SCROLLBTNLEFT", "SCROLLBTNRIGHT"]
_SCROLL_BARS = ["SCROLLBAR1H", "SCROLLBAR1V", "SCROLLBAR2H", "SCROLLBAR2V"]
REQUIRED_MASKS = (
    [("GLOBALINFO", p) for p in ("BOXCHECKED", "BOXUNCHECKED", "BOXGRAYED", "RADIOCHECKED",
                                 "RADIOUNCHECKED", "RADIOGRAYED")] +
    [(s, p) for s in ("FORM", "DIALOG") for p in ("BORDERSMASK", "TITLEBAR", "GRIPIMAGE", "TITLEBUTTON",
                                                  "BICONCLOSE", "BICONMAX", "BICONNORM", "BICONMIN",
                                                  "BICONHELP")] +
    [("FORMTITLE", "BORDERSMASK"), ("MENUITEM", "BORDERSMASK"), ("DIVIDER", "BORDERSMASK"),
     ("COLHEADER", "BORDERSMASK"), ("TSCOMBOBOX", "GLYPHMASK")] +
    [(s, "BORDERSMASK") for s in ("TSBUTTON", "TSBITBTN", "TSSPEEDBUTTON", "TSEDIT", "TSSPINEDIT",
                                  "TSCOMBOBOX", "TSLISTBOX", "TSLISTVIEW", "SIMPLYEDIT", "GRID",
                                  "TSPANEL", "TSGROUPBOX", "TABTOP", "TABBOTTOM", "TABLEFT", "TABRIGHT")] +
    [(s, p) for s in ("TSCHECKBOX", "TSRADIOBUTTON", "TSGROUPBUTTON") for p in ("GLYPHCHECKED", "GLYPHUNCHECKED")] +
    [(s, p) for s in _SCROLL_BTNS + ["SCROLLSLIDERV", "SCROLLSLIDERH"]
     for p in ("BORDERSMASK", "GLYPHMASK", "IMAGEFILE", "HOTIMAGEFILE")] +
    [(s, p) for s in _SCROLL_BARS for p in ("BORDERSMASK", "IMAGEFILE", "HOTIMAGEFILE")])
# Masks painted as 3 x 3-cell frames, and how many states their painters ask for.
FRAME_PROPERTIES = {"BORDERSMASK", "TITLEBAR"}
STATES_NEEDED = {"BICONCLOSE": 3, "BICONMAX": 3, "BICONNORM": 3, "BICONMIN": 3, "BICONHELP": 3,
                 "TITLEBUTTON": 3, "GLYPHMASK": 3}


def fail(message):
    sys.stderr.write("skin.py: %s\n" % message)
    sys.exit(1)


# ---- reading the sources ------------------------------------------------------------------------

def load_art(skin_dir):
    spec = importlib.util.spec_from_file_location("skin_art", os.path.join(skin_dir, "art.py"))
    module = importlib.util.module_from_spec(spec)
    spec.loader.exec_module(module)
    return module


def parse_colour(text, where):
    text = text.strip()
    if re.fullmatch(r"#[0-9A-Fa-f]{6}", text):
        v = int(text[1:], 16)
        return ((v >> 16) & 255) | (v & 0xFF00) | ((v & 255) << 16)
    if re.fullmatch(r"-?\d+", text):
        return int(text)
    fail("%s: '%s' is no colour (#RRGGBB or a number)" % (where, text))


def parse_gradient(text, where):
    """'horizontal: #a #b 50, #c #d 50' -> the engine's 'a;b;50;1;0;c;d;50;1;0'."""
    text = text.strip()
    if not text:
        return None
    mode = 0
    if text.lower().startswith("horizontal:"):
        mode, text = 1, text.split(":", 1)[1]
    words = []
    for step in text.split(","):
        parts = step.split()
        if len(parts) != 3:
            fail("%s: gradient step '%s' is not '#top #bottom percent'" % (where, step.strip()))
        words += [str(parse_colour(parts[0], where)), str(parse_colour(parts[1], where)),
                  str(int(parts[2])), str(mode), "0"]
    return ";".join(words)


def parse_value(name, text, where):
    kind = FIELD_KINDS.get(name)
    if kind is None:
        fail("%s: unknown key '%s'" % (where, name))
    if kind == "str":
        return text.strip()
    if kind == "colour":
        return parse_colour(text, where)
    if kind == "int":
        return int(text)
    if kind == "bool":
        if text.strip() not in ("True", "False"):
            fail("%s: '%s' is not True or False" % (where, text))
        return text.strip() == "True"
    if kind in ("cbevel", "ebevel"):
        names = CONTROL_BEVELS if kind == "cbevel" else EDITOR_BEVELS
        if text.strip() not in names:
            fail("%s: '%s' is not one of %s" % (where, text, " ".join(names)))
        return names.index(text.strip())
    if kind == "font":
        parts = text.split()
        colours = [parse_colour(p, where) for p in parts] + [-1] * (5 - len(parts))
        if len(parts) not in (1, 5):
            fail("%s: a font colour is one colour or five" % where)
        return colours
    if kind == "grad":
        return parse_gradient(text, where)
    fail("%s: cannot read '%s'" % (where, name))


def read_sections(path):
    """Ordered list of (name, values) with every field filled in. A section takes what it does not
    give from the section named by Like, else from its ParentClassName, else the defaults; either
    must be written above it."""
    sections, current = [], None
    for number, raw in enumerate(open(path, encoding="utf-8"), 1):
        line = raw.strip()
        where = "%s:%d" % (path, number)
        if not line or line.startswith(";"):
            continue
        if line.startswith("[") and line.endswith("]"):
            current = {"name": line[1:-1].strip(), "like": None, "keys": {}, "where": where}
            sections.append(current)
            continue
        if current is None or "=" not in line:
            fail("%s: expected [section] or key = value" % where)
        key, value = (s.strip() for s in line.split("=", 1))
        if key == "Like":
            current["like"] = (value, where)
        else:
            current["keys"][key] = parse_value(key, value, where)
    result, done = [], {}
    for s in sections:
        base = {name: default for name, _, default in FIELDS}
        source = s["like"] or ((s["keys"]["ParentClassName"], s["where"])
                               if s["keys"].get("ParentClassName") else None)
        if source:
            if source[0].upper() not in done:
                fail("%s: %s names no section above" % (source[1], source[0]))
            base = dict(done[source[0].upper()])
        base.update(s["keys"])
        values = {}
        for name, kind, _ in FIELDS:
            v = base[name]
            if kind == "grad" and v is None:
                v = " " if name == "GradientData" else ""
            values[name] = v
        if s["name"].upper() in done:
            fail("%s: section %s is given twice" % (s["where"], s["name"]))
        done[s["name"].upper()] = values
        result.append((s["name"], values))
    return result


class Mask:
    def __init__(self, section, prop, picture, states, mask_type, own):
        self.section, self.prop, self.picture = section, prop, picture
        self.states, self.mask_type, self.own = states, mask_type, own
        self.rect = None  # (left, top, right, bottom) in the master, or None for an own image
        self.place = None  # the top left corner masks.txt gives it in the master, if any
        self.where = ""  # its line in masks.txt


def read_masks(path, art):
    masks = []
    for number, raw in enumerate(open(path, encoding="utf-8"), 1):
        words = raw.split("#", 1)[0].split()
        if not words:
            continue
        where = "%s:%d" % (path, number)
        place = re.fullmatch(r"@(\d+),(\d+)", words[5]) if len(words) == 6 else None
        if len(words) not in (5, 6) or (len(words) == 6 and words[5] != "own" and not place):
            fail("%s: expected SECTION PROPERTY picture states masktype [own | @X,Y]" % where)
        section, prop, picture = words[0].upper(), words[1].upper(), words[2]
        if picture not in art.PICTURES:
            fail("%s: no picture '%s' in art.py" % (where, picture))
        states, mask_type = int(words[3]), int(words[4])
        if not 1 <= states <= 3 or mask_type not in (0, 1):
            fail("%s: states must be 1 to 3 and the mask type 0 or 1" % where)
        if any(m.section == section and m.prop == prop for m in masks):
            fail("%s: %s %s is given twice" % (where, section, prop))
        mask = Mask(section, prop, picture, states, mask_type, words[5:] == ["own"])
        if place:
            mask.place = (int(place.group(1)), int(place.group(2)))
        mask.where = where
        masks.append(mask)
    return masks


# ---- pictures -------------------------------------------------------------------------------------

class Strip:
    """States side by side: rgb rows of the image, grey rows of the mask (255 keeps the target)."""
    def __init__(self, frames, mask_type):
        self.fw, self.fh = frames[0].w, frames[0].h
        self.count = len(frames)
        self.mask_type = mask_type
        self.rgb = [[None] * (self.fw * self.count) for _ in range(self.fh)]
        self.mask = [[255] * (self.fw * self.count) for _ in range(self.fh)]
        for s, img in enumerate(frames):
            if (img.w, img.h) != (self.fw, self.fh):
                fail("the states of a picture differ in size")
            for y in range(self.fh):
                for x in range(self.fw):
                    r, g, b, a = img.p[y][x]
                    if mask_type == 0:
                        a = 1.0 if a >= 0.5 else 0.0
                    if (x, y) in img.cut:
                        rgb, m = MAGENTA, 255
                    elif a <= 0.002:
                        rgb, m = (255, 255, 255), 255  # transparent inside: white under a white mask
                    else:
                        rgb = tuple(min(255, max(0, int(round(c)))) for c in (r, g, b))
                        if rgb == MAGENTA:
                            rgb = (254, 0, 255)
                        m = min(255, max(0, int(round(255 * (1 - a)))))
                    self.rgb[y][s * self.fw + x] = rgb
                    self.mask[y][s * self.fw + x] = m

    @property
    def width(self):
        return self.fw * self.count

    @property
    def height(self):
        return self.fh * (self.mask_type + 1)

    def rows(self):
        """The strip as it lies in a bitmap: image rows, then (mask type 1) the mask rows."""
        out = [list(r) for r in self.rgb]
        if self.mask_type:
            out += [[(m, m, m) for m in r] for r in self.mask]
        return out

    def own_rows(self):
        """An own bitmap: exactly three states, the image over its mask."""
        take = [min(s, self.count - 1) for s in range(3)]
        img = [[px for s in take for px in r[s * self.fw:(s + 1) * self.fw]] for r in self.rgb]
        mask = [[(m, m, m) for s in take for m in r[s * self.fw:(s + 1) * self.fw]] for r in self.mask]
        return img + mask


def render_strips(masks, art):
    strips = {}
    for m in masks:
        key = (m.picture, m.states, m.mask_type)
        if key not in strips:
            draw = art.PICTURES[m.picture]
            strips[key] = Strip([draw(s) for s in range(m.states)], m.mask_type)
        m.strip = strips[key]
    return strips


def pack(masks, strips):
    """Places the shared strips in the master bitmap: those given a place there, then the others,
    tallest first, each at the topmost and then leftmost free spot beside or below those placed;
    what does not fit (or is marked own) becomes an own image. Returns the master's rows."""
    owned = {(m.picture, m.states, m.mask_type) for m in masks if m.own}
    place = {}
    for m in masks:
        key = (m.picture, m.states, m.mask_type)
        if m.place is None:
            continue
        if key in owned or place.get(key, m.place) != m.place:
            fail("%s: %s is placed twice or also own" % (m.where, m.picture))
        place[key] = m.place

    def rect(key, at):
        return (at[0], at[1], at[0] + strips[key].width, at[1] + strips[key].height)

    def free(r, taken):
        return (r[2] <= MASTER_W and r[3] <= MASTER_H and
                not any(r[0] < t[2] and t[0] < r[2] and r[1] < t[3] and t[1] < r[3] for t in taken))

    taken = []
    for key, at in place.items():
        r = rect(key, at)
        if not free(r, taken):
            fail("%s placed at %d,%d overlaps another picture or leaves the master" % ((key[0],) + at))
        taken.append(r)
    order = sorted((k for k in strips if k not in owned and k not in place),
                   key=lambda k: (-strips[k].height, -strips[k].width, k))
    for key in order:
        xs = sorted({0} | {t[2] for t in taken})
        ys = sorted({0} | {t[3] for t in taken})
        spot = next(((x, y) for y in ys for x in xs if free(rect(key, (x, y)), taken)), None)
        if spot is None:
            sys.stderr.write("skin.py: %s does not fit the master bitmap; it gets its own image\n" % key[0])
            continue
        place[key] = spot
        taken.append(rect(key, spot))
    master = [[MAGENTA] * MASTER_W for _ in range(MASTER_H)]
    for key, (px, py) in place.items():
        for j, row in enumerate(strips[key].rows()):
            master[py + j][px:px + len(row)] = row
    for m in masks:
        key = (m.picture, m.states, m.mask_type)
        if key in place:
            px, py = place[key]
            m.rect = (px, py, px + m.strip.width, py + m.strip.height)
    return master


# ---- file formats ---------------------------------------------------------------------------------

def bmp24(rows):
    """A 24-bit bottom-up BMP file of rgb rows."""
    h, w = len(rows), len(rows[0])
    stride = (w * 3 + 3) & ~3
    pixels = bytearray()
    for row in reversed(rows):
        line = bytearray()
        for r, g, b in row:
            line += bytes((b, g, r))
        pixels += line + b"\0" * (stride - len(line))
    header = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
    return b"BM" + struct.pack("<IHHI", 14 + 40 + len(pixels), 0, 0, 54) + header + bytes(pixels)


def png(rows):
    h, w = len(rows), len(rows[0])
    raw = b"".join(b"\0" + bytes(v for px in row for v in px) for row in rows)
    chunk = lambda kind, body: struct.pack(">I", len(body)) + kind + body + struct.pack(
        ">I", zlib.crc32(kind + body) & 0xFFFFFFFF)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", w, h, 8, 2, 0, 0, 0)) +
            chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def jpeg(rows, quant=3):
    """A baseline JPEG (YCbCr, no subsampling) of rgb rows whose sizes are multiples of 8. One
    flat quantisation table; Huffman tables with fixed code lengths (4 bits for the DC sizes,
    8 bits for the 162 AC symbols), which any decoder takes."""
    h, w = len(rows), len(rows[0])
    zigzag = sorted(((u, v) for u in range(8) for v in range(8)),
                    key=lambda p: (p[0] + p[1], p[1] if (p[0] + p[1]) % 2 == 0 else p[0]))
    cos = [[math.cos((2 * x + 1) * u * math.pi / 16) for x in range(8)] for u in range(8)]
    dc_symbols = list(range(12))
    ac_symbols = [0x00, 0xF0] + [(run << 4) | size for run in range(16) for size in range(1, 11)]
    dc_codes = {s: (i, 4) for i, s in enumerate(dc_symbols)}
    ac_codes = {s: (i, 8) for i, s in enumerate(ac_symbols)}
    out, acc, nbits = bytearray(), 0, 0

    def put(value, length):
        nonlocal acc, nbits
        acc, nbits = (acc << length) | (value & ((1 << length) - 1)), nbits + length
        while nbits >= 8:
            byte = (acc >> (nbits - 8)) & 255
            out.append(byte)
            if byte == 0xFF:
                out.append(0)
            nbits -= 8

    def category(v):
        v = abs(v)
        return 0 if v == 0 else v.bit_length()

    def amplitude(v, size):
        return v if v >= 0 else v + (1 << size) - 1

    planes = [[[0.0] * w for _ in range(h)] for _ in range(3)]
    for y in range(h):
        for x in range(w):
            r, g, b = rows[y][x]
            planes[0][y][x] = 0.299 * r + 0.587 * g + 0.114 * b - 128
            planes[1][y][x] = -0.168736 * r - 0.331264 * g + 0.5 * b
            planes[2][y][x] = 0.5 * r - 0.418688 * g - 0.081312 * b
    previous = [0, 0, 0]
    for by in range(0, h, 8):
        for bx in range(0, w, 8):
            for c in range(3):
                block = [[planes[c][by + y][bx + x] for x in range(8)] for y in range(8)]
                coef = {}
                for v in range(8):
                    for u in range(8):
                        s = sum(block[y][x] * cos[u][x] * cos[v][y] for y in range(8) for x in range(8))
                        s *= 0.25 * (math.sqrt(0.5) if u == 0 else 1) * (math.sqrt(0.5) if v == 0 else 1)
                        coef[(v, u)] = int(round(s / quant))
                seq = [coef[p] for p in zigzag]
                diff = seq[0] - previous[c]
                previous[c] = seq[0]
                size = category(diff)
                put(*dc_codes[size])
                if size:
                    put(amplitude(diff, size), size)
                run = 0
                for k in range(1, 64):
                    if seq[k] == 0:
                        run += 1
                        continue
                    while run > 15:
                        put(*ac_codes[0xF0])
                        run -= 16
                    size = category(seq[k])
                    put(*ac_codes[(run << 4) | size])
                    put(amplitude(seq[k], size), size)
                    run = 0
                if run:
                    put(*ac_codes[0x00])
    if nbits:
        put((1 << (8 - nbits)) - 1, 8 - nbits)
    segment = lambda marker, body: struct.pack(">BBH", 0xFF, marker, len(body) + 2) + body
    dc_counts = [0] * 16
    dc_counts[3] = len(dc_symbols)
    ac_counts = [0] * 16
    ac_counts[7] = len(ac_symbols)
    return (b"\xFF\xD8" +
            segment(0xE0, b"JFIF\0\x01\x01\0\0\x01\0\x01\0\0") +
            segment(0xDB, bytes([0]) + bytes([quant] * 64)) +
            segment(0xC0, struct.pack(">BHHB", 8, h, w, 3) + bytes([1, 0x11, 0, 2, 0x11, 0, 3, 0x11, 0])) +
            segment(0xC4, bytes([0x00] + dc_counts + dc_symbols) + bytes([0x10] + ac_counts + ac_symbols)) +
            segment(0xDA, bytes([3, 1, 0x00, 2, 0x00, 3, 0x00, 0, 63, 0])) +
            bytes(out) + b"\xFF\xD9")


def quoted(text):
    return "'" + text.replace("'", "''") + "'"


def hex_lines(data, indent):
    text = data.hex().upper()
    return "\n".join(indent + text[i:i + 96] for i in range(0, len(text), 96))


def stored(data):
    """The toolkit's stored-bitmap form: a 32-bit little-endian length, then the file."""
    return struct.pack("<I", len(data)) + data


def stored_master(rows):
    """The master bitmap in the form the skin stores it: a 24-bit BMP that carries a colour table
    of 256 entries (a grey ramp) between its header and its rows, while its length, its file
    size and its pixel offset all count 1024 bytes more than there are; readers take the rows
    right after the table."""
    plain = bmp24(rows)
    table = b"".join(bytes((i, i, i, 0)) for i in range(256))
    header = bytearray(plain[:54])
    claimed = len(plain) + 2 * len(table)
    struct.pack_into("<I", header, 2, claimed)  # file size
    struct.pack_into("<I", header, 10, 54 + 2 * len(table))  # pixel offset
    struct.pack_into("<I", header, 46, 256)  # colours used
    return struct.pack("<I", claimed) + bytes(header) + table + plain[54:]


def general_lines(name, values):
    lines = ["SectionName = " + quoted(name)]
    for field, kind, _ in FIELDS:
        v = values[field]
        if kind in ("str", "grad"):
            text = quoted(v)
        elif kind == "bool":
            text = "True" if v else "False"
        elif kind == "cbevel":
            text = CONTROL_BEVELS[v]
        elif kind == "ebevel":
            text = EDITOR_BEVELS[v]
        elif kind == "font":
            text = quoted(" ".join(str(c) for c in v))
        else:
            text = str(v)
        lines.append("%s = %s" % (field, text))
    return lines


def zero_values():
    values = {}
    for field, kind, _ in FIELDS:
        values[field] = {"str": "", "grad": "", "bool": False, "font": [0] * 5}.get(kind, 0)
    return values


def fragment(sections, masks, master):
    out = ["InternalSkins = <", "  item", "    Name = " + quoted(SKIN_NAME), "    GeneralData = <"]
    items = [general_lines(n, v) for n, v in sections]
    last = general_lines("", zero_values())
    items.append([l for l in last if not l.startswith("SectionName")])
    for i, lines in enumerate(items):
        out.append("      item")
        out += ["        " + l for l in lines]
        out.append("      end>" if i == len(items) - 1 else "      end")
    out.append("    Images = <")
    for i, m in enumerate(masks):
        out.append("      item")
        out.append("        SectionName = " + quoted(m.section))
        out.append("        PropertyName = " + quoted(m.prop))
        if m.rect:
            l, t, r, b = m.rect
            count, mask_type = m.strip.count, m.mask_type
        else:
            l = t = r = b = count = mask_type = 0
        out += ["        Left = %d" % l, "        Top = %d" % t, "        Right = %d" % r, "        Bottom = %d" % b,
                "        ImageCount = %d" % count, "        MaskType = %d" % mask_type]
        if not m.rect:
            out.append("        Image.Data = {")
            out[-1] += "\n" + hex_lines(stored(bmp24(m.strip.own_rows())), "          ") + "}"
        out.append("      end>" if i == len(masks) - 1 else "      end")
    out.append("    Patterns = <>")
    out.append("    MasterBitmap.Data = {\n" + hex_lines(stored_master(master), "      ") + "}")
    out.append("  end>")
    return "\n".join(out) + "\n"


def own_file(m):
    return "%s_%s.bmp" % (m.section.lower(), m.prop.lower())


def options_dat(sections, masks):
    """The skin folder's description in ini syntax: general data and masks of every section."""
    out = ["; %s as a skin folder, written by tools/skin.py" % SKIN_NAME]
    by_section = {}
    for m in masks:
        by_section.setdefault(m.section, []).append(m)
    for name, values in sections:
        out.append("")
        out.append("[%s]" % name)
        if name.upper() == "GLOBALINFO":
            out.append("MASTERBITMAP=master.bmp")
        for field, kind, _ in FIELDS:
            v = values[field]
            if field == "ShadowDontUse":
                continue
            if kind == "font":
                out += ["%s=%d" % (k, c) for k, c in zip(FONT_KEYS[field], v)]
            elif kind == "bool":
                out.append("%s=%s" % ("RESERVEDBOOLEAN" if field == "ReservedBoolean" else field,
                                      "TRUE" if v else "FALSE"))
            elif kind == "grad":
                out.append("%s=%s" % (field, v.strip()))
            else:
                out.append("%s=%s" % (field, v))
        for m in by_section.pop(name.upper(), []):
            if m.rect:
                out.append("%s=#(%d,%d,%d,%d) %d,%d" % ((m.prop,) + m.rect + (m.strip.count, m.mask_type)))
            else:
                out.append("%s=%s" % (m.prop, own_file(m)))
        if name.upper() == "MDIAREA":
            out.append("IMAGEFILE=mdiarea.jpg")
    if by_section:
        fail("masks of sections without general data: %s" % ", ".join(sorted(by_section)))
    return "\r\n".join(out) + "\r\n"


def grad_colour(data, t):
    """The colour of a gradient description at t (0..1) along its direction, as (r, g, b)."""
    words = [w for w in data.split(";") if w.strip()]
    steps = [words[i:i + 5] for i in range(0, len(words) - 4, 5)]
    pos = 0.0
    for k, st in enumerate(steps):
        c1, c2, pct = int(st[0]), int(st[1]), int(st[2]) / 100
        if t <= pos + pct or k == len(steps) - 1:
            u = 0 if pct == 0 else min(1.0, max(0.0, (t - pos) / pct))
            rgb = lambda c: (c & 255, (c >> 8) & 255, (c >> 16) & 255)
            return tuple(a + (b - a) * u for a, b in zip(rgb(c1), rgb(c2)))
        pos += pct
    return None


def preview(art_img, values, hot, frame, state, w, h):
    """A control of w x h as the engine paints it: the section's body, then the frame laid over
    it by the 9-part rule (corners once, edges and middle tiled)."""
    img = type(frame)(w, h)
    data = values["HotGradientData" if hot else "GradientData"].strip()
    colour = values["HotPaintingColor" if hot else "PaintingColor"]
    horizontal = data and data.split(";")[3] == "1"
    for y in range(h):
        for x in range(w):
            c = grad_colour(data, (x / max(1, w - 1)) if horizontal else (y / max(1, h - 1))) if data else None
            img.p[y][x] = list(c or (colour & 255, (colour >> 8) & 255, (colour >> 16) & 255)) + [1.0]
    cw, ch = frame.w // 3, frame.h // 3

    def src(sx, sy):
        return frame.p[sy][sx]

    for y in range(h):
        sy = y if y < ch else (frame.h - (h - y) if y >= h - ch else ch + (y - ch) % ch)
        for x in range(w):
            sx = x if x < cw else (frame.w - (w - x) if x >= w - cw else cw + (x - cw) % cw)
            r, g, b, a = src(sx, sy)
            if a > 0:
                img.over(x, y, (r, g, b), a)
            if (sx, sy) in frame.cut:
                img.p[y][x] = [0.0, 0.0, 0.0, 0.0]  # the key colour: cut from the window region
    return img


def paste(dst, src, x0, y0):
    for y in range(src.h):
        for x in range(src.w):
            r, g, b, a = src.p[y][x]
            dst.over(x0 + x, y0 + y, (r, g, b), a)


def previews(art, sections):
    """A small window with the skin's controls in their states, for judging the whole."""
    values = {n.upper(): v for n, v in sections}
    pic = lambda name, state: art.PICTURES[name](state)
    win = art.Img(380, 150)
    win_body = preview(None, values["FORM"], False, pic("form_border", 0), 0, 380, 150)
    paste(win, win_body, 0, 0)
    title = preview(None, values["FORMTITLE"], True, pic("form_title_border", 1), 1, 380, 24)
    paste(win, title, 0, 0)
    for k, (name, state) in enumerate((("bicon_close", 1), ("bicon_max", 0), ("bicon_min", 2))):
        paste(win, pic(name, state), 380 - 4 - (k + 1) * 18, 4)
    for state in range(3):
        paste(win, preview(None, values["TSBUTTON"], state > 0, pic("button_border", state), state, 75, 23),
              10 + state * 85, 34)
        paste(win, preview(None, values["TSEDIT"], state > 0, pic("edit_border", state), state, 80, 21),
              10 + state * 85, 66)
        paste(win, pic("combo_button", state), 10 + state * 85 + 80 - 3 - 17, 66 + 3)
        for k, name in enumerate(("box_checked", "box_unchecked", "radio_checked", "radio_unchecked")):
            paste(win, pic(name, state), 10 + state * 85 + k * 18, 98)
    paste(win, preview(None, values["SCROLLBAR1H"], False, pic("track_h", 0), 0, 180, 17), 10, 122)
    paste(win, preview(None, values["SCROLLBTNLEFT"], False, pic("button_border", 0), 0, 17, 17), 10, 122)
    paste(win, pic("arrow_left", 0), 14, 126)
    paste(win, preview(None, values["SCROLLSLIDERH"], True, pic("button_border", 1), 1, 40, 17), 60, 122)
    paste(win, pic("grip_h", 1), 75, 126)
    paste(win, preview(None, values["SCROLLBTNRIGHT"], False, pic("button_border", 2), 2, 17, 17), 173, 122)
    paste(win, pic("arrow_right", 2), 177, 126)
    paste(win, preview(None, values["TSGROUPBOX"], False, pic("groupbox_border", 0), 0, 100, 80), 270, 34)
    return win


def contact_sheet(entries):
    """entries: (strip rows of states, frame width, frame height, count) as alpha images; each
    state enlarged 3 x over mid grey and over white."""
    scale, pad = 3, 6
    cells = []
    for frames in entries:
        cells.append(frames)
    width = max([760] + [2 * len(f) * (f[0].w * scale + 2) + 3 * pad for f in cells])
    x, y, line_h, placed = pad, pad, 0, []
    for frames in cells:
        fw, fh = frames[0].w * scale, frames[0].h * scale
        block_w = len(frames) * (fw + 2) + pad + len(frames) * (fw + 2)
        if x + block_w > width:
            x, y, line_h = pad, y + line_h + pad, 0
        placed.append((x, y, frames))
        x += block_w + pad * 2
        line_h = max(line_h, fh)
    height = y + line_h + pad
    sheet = [[(200, 200, 200)] * width for _ in range(height)]
    for x0, y0, frames in placed:
        fw, fh = frames[0].w * scale, frames[0].h * scale
        for half, bg in enumerate(((128, 128, 128), (255, 255, 255))):
            for s, img in enumerate(frames):
                bx = x0 + half * (len(frames) * (fw + 2) + pad) + s * (fw + 2)
                for yy in range(fh):
                    for xx in range(fw):
                        r, g, b, a = img.p[yy // scale][xx // scale]
                        sheet[y0 + yy][bx + xx] = tuple(int(round(bg[c] + (p - bg[c]) * a))
                                                        for c, p in enumerate((r, g, b)))
    return sheet


# ---- build, insert, check -------------------------------------------------------------------------

def load_skin(skin_dir):
    art = load_art(skin_dir)
    sections = read_sections(os.path.join(skin_dir, "sections.ini"))
    masks = read_masks(os.path.join(skin_dir, "masks.txt"), art)
    strips = render_strips(masks, art)
    master = pack(masks, strips)
    return art, sections, masks, master


def write(path, data):
    mode = "wb" if isinstance(data, bytes) else "w"
    with open(path, mode, **({} if mode == "wb" else {"encoding": "utf-8", "newline": "\n"})) as f:
        f.write(data)


def build(skin_dir, out_dir):
    art, sections, masks, master = load_skin(skin_dir)
    os.makedirs(os.path.join(out_dir, FOLDER_NAME), exist_ok=True)
    write(os.path.join(out_dir, "internal_skin.fragment"), fragment(sections, masks, master))
    folder = os.path.join(out_dir, FOLDER_NAME)
    write(os.path.join(folder, "Options.dat"), options_dat(sections, masks).encode("ascii"))
    write(os.path.join(folder, "master.bmp"), bmp24(master))
    for m in masks:
        if not m.rect:
            write(os.path.join(folder, own_file(m)), bmp24(m.strip.own_rows()))
    write(os.path.join(folder, "mdiarea.jpg"), jpeg(art.pattern_rows()))
    for name, draw in art.STORED_BITMAPS.items():
        write(os.path.join(out_dir, name + ".bmp"), bmp24(Strip([draw(s) for s in range(3)], 1).own_rows()))
    seen, entries = set(), []
    for m in masks:
        if m.picture not in seen:
            seen.add(m.picture)
            entries.append([art.PICTURES[m.picture](s) for s in range(m.states)])
    entries += [[draw(s) for s in range(3)] for draw in art.STORED_BITMAPS.values()]
    entries.append([previews(art, sections)])
    write(os.path.join(out_dir, "skin_contact.png"), png(contact_sheet(entries)))
    return 0


def insert(fragment_path, form_in, form_out):
    block = open(fragment_path, encoding="utf-8").read().rstrip("\n")
    source = open(form_in, encoding="utf-8").read()
    if source.count(MARKER) != 1:
        fail("%s: expected the internal-skin marker once" % form_in)
    indent = source[:source.index(MARKER)].rsplit("\n", 1)[-1]
    if indent.strip():
        fail("%s: the marker must stand alone on its line" % form_in)
    block = block.replace("\n", "\n" + indent)
    write(form_out, source.replace(MARKER, block))
    return 0


# The check reads the built files back, independently of the generator's data structures.

def read_bmp(data):
    """As the program reads a BMP: the rows follow the colour table, or lie at the pixel offset
    where that is further on and the rows fit behind it."""
    if data[:2] != b"BM" or len(data) < 54:
        raise ValueError("no BMP")
    offset = struct.unpack_from("<I", data, 10)[0]
    size, w, h, planes, bits = struct.unpack_from("<IiiHH", data, 14)
    colours = struct.unpack_from("<I", data, 46)[0]
    if bits != 24 or size != 40:
        raise ValueError("not a 24-bit BMP with a 40-byte header")
    stride = (w * 3 + 3) & ~3
    rows_at = 54 + 4 * colours
    if offset > rows_at and offset + stride * abs(h) <= len(data):
        rows_at = offset
    offset = rows_at
    if offset + stride * abs(h) > len(data):
        raise ValueError("BMP shorter than its rows")
    rows = []
    for j in range(abs(h)):
        base = offset + (abs(h) - 1 - j if h > 0 else j) * stride
        rows.append([tuple(data[base + 3 * i + 2 - c] for c in range(3)) for i in range(w)])
    return w, abs(h), rows


def parse_fragment(text):
    """Items of the fragment's GeneralData and Images collections as dicts, and the binaries."""
    general, images, blobs, stack, item = [], [], {}, [], None
    lines = iter(text.splitlines())
    for line in lines:
        s = line.strip()
        m = re.match(r"(\w[\w.]*) = (.*)$", s)
        if m and m.group(2) == "<":
            stack.append(m.group(1))
        elif m and m.group(2).startswith("{"):
            data = m.group(2)[1:]
            while not data.endswith("}"):
                data += next(lines).strip()
            blob = bytes.fromhex(data[:-1])
            if item is not None:
                item[m.group(1)] = blob
            else:
                blobs[m.group(1)] = blob
        elif m and item is not None:
            item[m.group(1)] = m.group(2)
        elif m:
            blobs[m.group(1)] = m.group(2)
        elif s == "item" and stack and stack[-1] in ("GeneralData", "Images"):
            item = {}
        elif s in ("end", "end>"):
            if stack and stack[-1] in ("GeneralData", "Images") and item is not None:
                (general if stack[-1] == "GeneralData" else images).append(item)
                item = None
            if s == "end>":
                stack.pop()
    return general, images, blobs


def unquote(v):
    return v[1:-1].replace("''", "'") if v.startswith("'") else v


def read_ini(text):
    sections, current = [], None
    for raw in text.splitlines():
        line = raw.strip()
        if not line or line.startswith(";"):
            continue
        if line.startswith("["):
            current = (line[1:-1], {})
            sections.append(current)
        else:
            k, v = line.split("=", 1)
            current[1][k.upper()] = v
    return sections


def check_insert(fragment_path, err):
    """The insertion mode on a small form: the block replaces the marker, indented like it."""
    import tempfile
    with tempfile.TemporaryDirectory() as tmp:
        form_in, form_out = os.path.join(tmp, "in.form"), os.path.join(tmp, "out.form")
        write(form_in, "object Main: TMain\n  object sSkinManager1: TsSkinManager\n    " + MARKER +
              "\n    SkinName = " + quoted(SKIN_NAME) + "\n  end\nend\n")
        insert(fragment_path, form_in, form_out)
        out = open(form_out, encoding="utf-8").read().split("\n")
        block = open(fragment_path, encoding="utf-8").read().rstrip("\n").split("\n")
        if out[:2] != ["object Main: TMain", "  object sSkinManager1: TsSkinManager"] or \
                out[2:2 + len(block)] != ["    " + l if i else "    " + l for i, l in enumerate(block)] or \
                out[2 + len(block):] != ["    SkinName = " + quoted(SKIN_NAME), "  end", "end", ""]:
            err("the insertion mode does not put the block in place of its marker")
        write(form_in, "object Main: TMain\nend\n")
        stderr, sys.stderr = sys.stderr, open(os.devnull, "w")
        try:
            insert(fragment_path, form_in, form_out)
            err("the insertion mode accepts a form without marker")
        except SystemExit:
            pass
        finally:
            sys.stderr.close()
            sys.stderr = stderr


def check(skin_dir, out_dir):
    errors = []
    err = errors.append
    general, images, blobs = parse_fragment(open(os.path.join(out_dir, "internal_skin.fragment"),
                                                 encoding="utf-8").read())
    if unquote(blobs.get("Name", "")) != SKIN_NAME:
        err("the fragment's skin is not named %s" % SKIN_NAME)
    if blobs.get("Patterns") != "<>":
        err("the internal skin stores patterns")
    # General data: every section, every field, the nameless all-zero item last.
    names = [unquote(g.get("SectionName", "''")) for g in general]
    if not general or "SectionName" in general[-1]:
        err("the last general-data item has a section name")
    else:
        for field, kind, _ in FIELDS:
            v = unquote(general[-1].get(field, "?"))
            if v not in ("0", "", "False", "cbNone", "ebNone", "0 0 0 0 0"):
                err("the last general-data item has %s = %s" % (field, v))
    upper = [n.upper() for n in names[:-1]]
    for s in REQUIRED_SECTIONS:
        if s not in upper:
            err("no section %s" % s)
    for g in general:
        missing = [f for f, _, _ in FIELDS if f not in g]
        if missing:
            err("section %s lacks %s" % (g.get("SectionName"), ", ".join(missing)))
    dialog = [g for g in general if unquote(g.get("SectionName", "''")).upper() == "DIALOG"]
    if dialog and (unquote(dialog[0]["ParentClassName"]).upper() != "FORM" or dialog[0]["ReservedBoolean"] != "True"):
        err("DIALOG must name FORM as parent and set ReservedBoolean")
    # Images: names, rectangles inside the master, whole 3 x 3 cells, mask halves.
    master_data = blobs.get("MasterBitmap.Data", b"")
    if len(master_data) < 4 or struct.unpack_from("<I", master_data)[0] != len(master_data) - 4 + 1024:
        err("the master bitmap's stored length does not claim the 1024 bytes more of its stored form")
    mw, mh, master = read_bmp(master_data[4:])
    if (mw, mh) != (MASTER_W, MASTER_H):
        err("the master bitmap is %d x %d" % (mw, mh))
    found = {(unquote(i["SectionName"]), unquote(i["PropertyName"])) for i in images}
    parents = {unquote(g["SectionName"]).upper(): unquote(g.get("ParentClassName", "''")).upper()
               for g in general[:-1]}

    def has_mask(section, prop):
        """As the engine looks a mask up: the section's own, else its parents' in turn."""
        seen = set()
        while section and section not in seen:
            if (section, prop) in found:
                return True
            seen.add(section)
            section = parents.get(section, "")
        return False

    for sm in REQUIRED_MASKS:
        if not has_mask(*sm):
            err("no mask %s %s" % sm)
    for child, parent in parents.items():
        if parent and parent not in parents:
            err("section %s names %s as parent, which is no section" % (child, parent))
    for i in images:
        sec, prop = unquote(i["SectionName"]), unquote(i["PropertyName"])
        if sec not in upper:
            err("mask %s %s belongs to no section" % (sec, prop))
        l, t, r, b, n, mt = (int(i[k]) for k in ("Left", "Top", "Right", "Bottom", "ImageCount", "MaskType"))
        if n == 0:
            if "Image.Data" not in i:
                err("%s %s has neither a rectangle nor an image" % (sec, prop))
                continue
            w, h, rows = read_bmp(i["Image.Data"][4:])
            fw, fh, states = w // 3, h // 2, 3
            if w % 3 or h % 2:
                err("%s %s: its own image does not hold 3 states over a mask" % (sec, prop))
        else:
            if not (0 <= l < r <= MASTER_W and 0 <= t < b <= MASTER_H):
                err("%s %s: rectangle (%d,%d,%d,%d) outside the master" % (sec, prop, l, t, r, b))
                continue
            if (r - l) % n or (b - t) % (mt + 1):
                err("%s %s: rectangle does not divide into its frames" % (sec, prop))
            fw, fh, states = (r - l) // n, (b - t) // (mt + 1), n
            if mt == 1:
                mask_rows = [master[y][l:r] for y in range(t + fh, b)]
                if any(px[0] != px[1] or px[1] != px[2] for row in mask_rows for px in row):
                    err("%s %s: the lower half is no grey mask" % (sec, prop))
                if all(px == (255, 255, 255) for row in mask_rows for px in row) and prop not in ("TITLEBAR",):
                    err("%s %s: its mask hides everything" % (sec, prop))
            elif mt != 0:
                err("%s %s: mask type %d" % (sec, prop, mt))
        if prop in FRAME_PROPERTIES and (fw % 3 or fh % 3 or fw < 3 or fh < 3):
            err("%s %s: frame %d x %d is not 3 x 3 whole cells" % (sec, prop, fw, fh))
        if states < STATES_NEEDED.get(prop, 1):
            err("%s %s: %d states, its painter needs %d" % (sec, prop, states, STATES_NEEDED[prop]))
    # Options.dat describes the same skin.
    folder = os.path.join(out_dir, FOLDER_NAME)
    ini = read_ini(open(os.path.join(folder, "Options.dat"), encoding="ascii").read())
    if [n for n, _ in ini] != names[:-1]:
        err("Options.dat and the fragment list different sections")
    by_name = {unquote(g["SectionName"]): g for g in general[:-1]}
    for name, keys in ini:
        g = by_name.get(name)
        if g is None:
            continue
        for field, kind, _ in FIELDS:
            if field == "ShadowDontUse":
                continue
            v = unquote(g[field])
            if kind == "font":
                got = " ".join(keys.get(k, "?") for k in FONT_KEYS[field])
            elif kind == "bool":
                got = {"TRUE": "True", "FALSE": "False"}.get(
                    keys.get("RESERVEDBOOLEAN" if field == "ReservedBoolean" else field.upper()), "?")
            elif kind in ("cbevel", "ebevel"):
                names_ = CONTROL_BEVELS if kind == "cbevel" else EDITOR_BEVELS
                got = names_[int(keys.get(field.upper(), "-1"))]
            elif kind == "grad":
                got, v = keys.get(field.upper(), "?").strip(), v.strip()
            else:
                got = keys.get(field.upper(), "?")
            if got != v:
                err("Options.dat [%s] %s = %s, the fragment says %s" % (name, field, got, v))
    for i in images:
        sec, prop = unquote(i["SectionName"]), unquote(i["PropertyName"])
        keys = next((k for n, k in ini if n.upper() == sec), {})
        value = keys.get(prop, "")
        if i["ImageCount"] == "0":
            if not value.upper().endswith(".BMP") or not os.path.exists(os.path.join(folder, value)):
                err("Options.dat gives %s %s no image file" % (sec, prop))
            elif open(os.path.join(folder, value), "rb").read() != i["Image.Data"][4:]:
                err("%s differs from the fragment's image" % value)
        elif value != "#(%s,%s,%s,%s) %s,%s" % tuple(i[k] for k in ("Left", "Top", "Right", "Bottom",
                                                                    "ImageCount", "MaskType")):
            err("Options.dat gives %s %s as '%s'" % (sec, prop, value))
    if read_bmp(open(os.path.join(folder, "master.bmp"), "rb").read())[2] != master:
        err("master.bmp differs from the fragment's master bitmap")
    jpg = open(os.path.join(folder, "mdiarea.jpg"), "rb").read()
    if jpg[:2] != b"\xFF\xD8" or jpg[-2:] != b"\xFF\xD9":
        err("mdiarea.jpg is no JPEG file")
    # The stored bitmaps of the engine.
    for name in ["BORD%d" % k for k in range(1, 7)]:
        w, h, rows = read_bmp(open(os.path.join(out_dir, name + ".bmp"), "rb").read())
        if w % 9 or h % 6:
            err("%s.bmp: %d x %d is not 3 states of 3 x 3 cells over a mask" % (name, w, h))
    for name in ["SF", "SR", "SD", "SE", "SC"]:
        w, h, rows = read_bmp(open(os.path.join(out_dir, name + ".bmp"), "rb").read())
        if w % 3 or h % 2:
            err("%s.bmp: %d x %d is not 3 states over a mask" % (name, w, h))
    check_insert(os.path.join(out_dir, "internal_skin.fragment"), err)
    for e in errors:
        sys.stderr.write("skin check: %s\n" % e)
    print("skin check: %d sections, %d masks, %d errors" % (len(general) - 1, len(images), len(errors)))
    return 1 if errors else 0


def main(argv):
    if len(argv) == 4 and argv[1] == "build":
        return build(argv[2], argv[3])
    if len(argv) == 5 and argv[1] == "insert":
        return insert(argv[2], argv[3], argv[4])
    if len(argv) == 4 and argv[1] == "--check":
        return check(argv[2], argv[3])
    sys.stderr.write(__doc__)
    return 2


if __name__ == "__main__":
    sys.exit(main(sys.argv))
