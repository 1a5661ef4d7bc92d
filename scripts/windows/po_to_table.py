#!/usr/bin/env python3
"""Writes a .po file's translations as C++ table rows, {"English", "translation"}, for the Windows
program, which carries the command line's texts in itself instead of reading gettext catalogs.
Usage: po_to_table.py LANGUAGE.po OUTPUT.inc"""
import ast
import sys


def entries(lines):
    """(msgid, msgstr) pairs of the file, strings joined and unescaped; the header is left out."""
    current = {}
    key = None
    for line in lines + [""]:
        line = line.strip()
        if line.startswith("msgid ") or line.startswith("msgstr "):
            key, _, rest = line.partition(" ")
            if key == "msgid" and "msgstr" in current:
                yield current["msgid"], current["msgstr"]
                current = {}
            current[key] = ast.literal_eval(rest)
        elif line.startswith('"') and key:
            current[key] += ast.literal_eval(line)
        elif not line or line.startswith("#"):
            key = None
    if "msgstr" in current:
        yield current["msgid"], current["msgstr"]


def cpp(text):
    """A C++ string literal of UTF-8 text."""
    escaped = text.replace("\\", "\\\\").replace('"', '\\"').replace("\n", "\\n").replace("\t", "\\t")
    return '"' + escaped + '"'


def main():
    source, output = sys.argv[1], sys.argv[2]
    with open(source, encoding="utf-8") as po:
        pairs = [(english, text) for english, text in entries(po.read().splitlines()) if english and text]
    with open(output, "w", encoding="utf-8") as table:
        table.write(f"// Generated from {source.split('/')[-1]} by po_to_table.py; do not edit.\n")
        for english, text in sorted(pairs):
            table.write(f"{{{cpp(english)}, {cpp(text)}}},\n")


if __name__ == "__main__":
    main()
