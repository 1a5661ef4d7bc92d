#!/usr/bin/env python3
"""Makes the English shipped template from template.dat: each text of the table (TEXT<tab>ENGLISH
a line; "#" lines are notes) is replaced, longest first, so that later edits of template.dat flow
in. Usage: make_english_template.py TEMPLATE TABLE OUTPUT [--check]
With --check, exits 1 and names them when Japanese texts are left or a text of the table is not
found in the template (an entry left behind by an edit)."""
import re
import sys

JAPANESE = re.compile("[\u3000-\u30ff\u3400-\u9fff\uff00-\uffef]+")


def read_table(path):
    pairs = []
    with open(path, encoding="utf-8") as table:
        for line in table.read().splitlines():
            if line and not line.startswith("#"):
                text, _, english = line.partition("\t")
                pairs.append((text, english))
    return sorted(pairs, key=lambda pair: -len(pair[0]))


def main():
    template, table, output = sys.argv[1:4]
    with open(template, encoding="utf-8", newline="") as source:
        text = source.read()
    unused = []
    for japanese, english in read_table(table):
        if japanese not in text:
            unused.append(japanese)
        text = text.replace(japanese, english)
    with open(output, "w", encoding="utf-8", newline="") as made:
        made.write(text)
    if "--check" not in sys.argv[4:]:
        return 0
    problems = [f"not in the table: line {text.count(chr(10), 0, m.start()) + 1}: {m.group(0)}" for m in JAPANESE.finditer(text)]
    problems += [f"not in the template: {entry}" for entry in unused]
    print("\n".join(problems) or "every Japanese text of the template has its English one")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
