#!/usr/bin/env python3
"""Writes one hostile skin folder for hostile_skins_test.sh.

    hostile_skins.py CASE BASE_FOLDER OUT_FOLDER

BASE_FOLDER is a sound skin folder (the build's GrayPlastic); OUT_FOLDER gets a copy of it
with the case's damage. Standard library only, plus ImageMagick's convert for big pictures.
"""
import os
import re
import shutil
import subprocess
import sys

MIB = 1 << 20


def sections_of(text):
    """The Options.dat text as [name, [lines]] pairs in file order."""
    result = []
    for line in text.splitlines():
        m = re.match(r"\[(.*)\]$", line)
        if m:
            result.append([m.group(1), []])
        elif result and line.strip():
            result[-1][1].append(line)
    return result


def text_of(sections):
    return "".join("[%s]\r\n%s\r\n" % (name, "".join(l + "\r\n" for l in lines)) for name, lines in sections)


def put(sections, section, key, value):
    """Sets KEY in SECTION (first of that name), replacing a key of the same name."""
    for name, lines in sections:
        if name.upper() == section.upper():
            lines[:] = [l for l in lines if l.split("=", 1)[0].upper() != key.upper()]
            lines.insert(0, "%s=%s" % (key, value))
            return
    sections.append([section, ["%s=%s" % (key, value)]])


def chain(sections, count, ring):
    """COUNT sections, each the parent of the one before; a ring when the last names the first."""
    for i in range(count):
        parent = "CHAIN%d" % (i + 1) if i + 1 < count else ("CHAIN0" if ring else "")
        sections.append(["CHAIN%d" % i, ["ParentClassName=%s" % parent, "PaintingColor=%d" % i]])
    put(sections, "Form", "ParentClassName", "CHAIN0")


def stops(count, percent=1):
    return ";".join("16777215;0;%d;0;0" % percent for _ in range(count))


def convert(out, *args):
    subprocess.run(["convert", *args, out], check=True)


def damage(case, sections, out):
    if case == "long_gradient":  # 1 MiB of stops on the form
        put(sections, "Form", "GradientPercent", "100")
        put(sections, "Form", "GradientData", stops(MIB // len(stops(1) + ";") + 1))
    elif case == "long_colour":
        put(sections, "Form", "PaintingColor", "7" * MIB)
    elif case == "long_picture_name":
        put(sections, "Form", "BORDERSMASK", "a" * MIB + ".bmp")
    elif case == "long_key_name":
        put(sections, "Form", "K" * MIB, "1")
    elif case == "long_section_name":
        sections.append(["S" * MIB, ["PaintingColor=0"]])
    elif case == "long_mask_rectangle":
        put(sections, "Form", "BORDERSMASK", "#(" + "0," * (MIB // 2) + "1) 1,1")
    elif case == "parent_chain":
        chain(sections, 5000, ring=False)
    elif case == "parent_ring":
        chain(sections, 500, ring=True)
    elif case == "many_sections":
        sections.extend(["S%d" % i, ["ParentClassName=Form"]] for i in range(40000))
    elif case == "many_stops":  # a few hundred stops too many, in every section
        for name, _ in sections:
            put(sections, name, "GradientData", stops(1000))
    elif case == "bad_gradients":  # broken, huge and negative, but few stops: loads
        bad = [
            "x;y;z;w;v",
            "99999999999;-99999999999;9999;-9999;0",
            "-1;-16777216;-50;-1;-1;" + stops(200, 255),
            ";;;;;;" + stops(3, 200) + ";;;1;2",
            "$FFFFFFFF;$80000000;255;1;0;0x10;0x20;100;7;0",
        ]
        for i, (name, _) in enumerate(sections):
            put(sections, name, "GradientPercent", "100")
            put(sections, name, "GradientData", bad[i % len(bad)])
            put(sections, name, "HotGradientData", bad[(i + 1) % len(bad)])
    elif case == "many_keys":  # one section with 100,000 keys: loads
        for name, lines in sections:
            if name.upper() == "FORM":
                lines.extend("K%d=%d" % (i, i) for i in range(100000))
    elif case == "many_masks":  # 100,000 pictures cut from the master bitmap, each its own name
        for name, lines in sections:
            if name.upper() == "FORM":
                lines.extend("M%d=#(0,0,30,10) 3,0" % i for i in range(100000))
    elif case == "many_missing_pictures":  # 100,000 names of files that are not there
        for name, lines in sections:
            if name.upper() == "FORM":
                lines.extend("P%d=p%d.bmp" % (i, i) for i in range(50000))
                lines.extend("J%d=j%d.jpg" % (i, i) for i in range(50000))
    elif case == "many_picture_files":  # nearly as many pictures and files as allowed: loads
        convert(os.path.join(out, "p.bmp"), "-size", "6x4", "xc:#808080", "-type", "TrueColor")
        convert(os.path.join(out, "p.jpg"), "-size", "8x8", "xc:#808080")
        for i in range(490):
            for ext in ("bmp", "jpg"):
                shutil.copyfile(os.path.join(out, "p." + ext), os.path.join(out, "p%d.%s" % (i, ext)))
        for name, lines in sections:
            if name.upper() == "FORM":
                lines.extend("P%d=p%d.bmp" % (i, i % 490) for i in range(1900))
                lines.extend("J%d=p%d.jpg" % (i, i % 490) for i in range(1900))
    elif case == "deep_sound_skin":  # near the most sections, pictures and deepest chains: loads
        for name, lines in sections:  # each control's section walks 60 more to its masks
            if name.upper() != "GLOBALINFO" and "ParentClassName=" in lines:
                put(sections, name, "ParentClassName", "DEEP59")
            if name.upper() == "GLOBALINFO":
                lines.extend("M%d=#(0,0,30,10) 3,0" % i for i in range(3800))
        for i in range(1900):
            parent = "DEEP%d" % (i - 1) if i % 60 else "GLOBALINFO"
            sections.append(["DEEP%d" % i, ["ParentClassName=" + parent, "ShadowBlur=%d" % (i % 50)]])
    elif case == "shared_jpeg":  # 40 references to one big picture that packs small: loads
        convert(os.path.join(out, "big.jpg"), "-size", "4096x4096", "xc:#808080", "-quality", "90")
        for i in range(40):
            put(sections, "Form", "PATTERN%d" % i, "big.jpg")
    elif case == "shared_bmp":
        convert(os.path.join(out, "big.bmp"), "-size", "1600x1500", "xc:#808080", "-type", "TrueColor")
        for name, _ in sections:
            put(sections, name, "BORDERSMASK", "big.bmp")
    elif case in ("scan_bomb", "sound_progressive_jpeg"):
        # A progressive picture named in a few sections; the bomb repeats its first scan 20,000
        # times, a sound one keeps its ten scans.
        picture = os.path.join(out, "pattern.jpg")
        convert(picture, "-size", "256x192", "gradient:#204080-#e0c060", "-interlace", "JPEG", "-quality", "90")
        if case == "scan_bomb":
            with open(picture, "rb") as f:
                data = f.read()
            start = data.index(b"\xff\xda")
            end = start + 2
            while not (data[end] == 0xFF and data[end + 1] != 0 and data[end + 1] & 0xF8 != 0xD0):
                end += 1
            with open(picture, "wb") as f:
                f.write(data[:end] + data[start:end] * 20000 + data[end:])
        for name in ("Form", "DIALOG", "TsButton", "TsPanel"):
            put(sections, name, "IMAGEFILE", "pattern.jpg")
    elif case not in ("huge_options", "held_options", "shared_options"):  # the last two: held by the test
        sys.exit("unknown case " + case)


def main():
    case, base, out = sys.argv[1:4]
    shutil.copytree(base, out)
    options = os.path.join(out, "Options.dat")
    if case == "huge_options":  # 1 GB, mostly a hole
        with open(options, "ab") as f:
            f.truncate(1 << 30)
        return
    with open(options, encoding="latin-1", newline="") as f:
        sections = sections_of(f.read())
    damage(case, sections, out)
    with open(options, "w", encoding="latin-1", newline="") as f:
        f.write(text_of(sections))


if __name__ == "__main__":
    main()
