#!/usr/bin/env python3
"""Builds the message catalogs of the translation tests with msgfmt.

    make_test_catalogs.py MSGFMT OUTDIR

OUTDIR/catalogs/{le,be}/LC_MESSAGES/keysN.mo: N keys "key 002", "key 004", ... "key 2N"
(translated "Wert 002", ...) in little- and big-endian order; the odd numbers, "key 000"
and "key 999" are absent. Every header names the language team "Zürich". latin1.mo
declares charset=ISO-8859-1. OUTDIR/locale/de/LC_MESSAGES/vorlen.mo is the second
resource-string domain of the program, with hostile translations of templates and file
names besides.
"""
import os
import subprocess
import sys

HEADER = ('msgid ""\nmsgstr ""\n"Content-Type: text/plain; charset={charset}\\n"\n'
          '"Language-Team: Z\u00fcrich\\n"\n\n')


def entry(key, text):
    return f'msgid "{key}"\nmsgstr "{text}"\n\n'


def compile_po(msgfmt, text, target, endianness="little", charset="UTF-8"):
    os.makedirs(os.path.dirname(target), exist_ok=True)
    po = target + ".po"
    with open(po, "w", encoding="utf-8" if charset == "UTF-8" else "latin-1") as f:
        f.write(HEADER.format(charset=charset) + text)
    subprocess.run([msgfmt, f"--endianness={endianness}", "-o", target, po], check=True)
    os.remove(po)


def main(msgfmt, out):
    for count in (0, 1, 2, 3, 4, 5, 6, 79, 80):
        text = "".join(entry(f"key {2 * i:03d}", f"Wert {2 * i:03d}") for i in range(1, count + 1))
        if count == 80:
            text += entry("umlaut", "Fußzeile Äpfel")
            text += entry("two lines\\n", "zwei\\nZeilen\\n")
        for order, folder in (("little", "le"), ("big", "be")):
            compile_po(msgfmt, text, f"{out}/catalogs/{folder}/LC_MESSAGES/keys{count}.mo", order)
    compile_po(msgfmt, entry("key 002", "Wert 002"), f"{out}/catalogs/le/LC_MESSAGES/latin1.mo",
               charset="ISO-8859-1")
    # Hostile translations: a template whose directives do not fit its arguments, and file
    # names that leave the folder, name a device or are wild; one of each that fits.
    hostile = entry("File %s: %s.", "Datei %d: %s.") + entry("Lane %d of %s", "Bahn %d von %s")
    names = ["Gut.Lst", "..\\\\..\\\\Aktuell.Asl", "C:Aktuell.Asl", "sub/Aktuell.Asl", "NUL", "com1.Lst", "a*.Lst"]
    hostile += "".join(entry(f"File{i}.Lst", name) for i, name in enumerate(names))
    compile_po(msgfmt, entry("Only in vorlen", "Nur in vorlen") + entry("STOP", "HALT") + hostile,
               f"{out}/locale/de/LC_MESSAGES/vorlen.mo")


if __name__ == "__main__":
    main(sys.argv[1], sys.argv[2])
