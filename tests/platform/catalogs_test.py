#!/usr/bin/env python3
"""Every text the program shows has its translation: each Japanese text in src/ an English one in
po/en.po, each English text handed to the translation lookup a Japanese one in po/ja.po; none
empty, and each with the same placeholders as its text. Usage: catalogs_test.py SOURCE_ROOT"""
import pathlib
import re
import sys

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parents[2] / "scripts" / "windows"))
from po_to_table import entries  # noqa: E402

LITERALS = re.compile(r'((?:"(?:[^"\\\n]|\\.)*"\s*)+)')
LOOKUP = re.compile(r'\b(?:TranslatedText|FormattedText|ShownText|Translated)\(\s*((?:"(?:[^"\\\n]|\\.)*"\s*)+)')
JAPANESE = re.compile("[\u3000-\u9fff\uff00-\uffef]")
PLACEHOLDER = re.compile(r"%(?:\d\$)?s")
# A window preview for screenshots: its texts are samples, not the program's.
NOT_SHOWN = {"src/driver/win32/preview.cpp"}


def text_of(literals):
    """The text of adjacent C++ string literals, escapes read."""
    parts = re.findall(r'"((?:[^"\\\n]|\\.)*)"', literals)
    return "".join(parts).encode("utf-8").decode("unicode_escape").encode("latin-1").decode("utf-8")


def source_texts(root):
    japanese, english = set(), set()
    for path in sorted(root.glob("src/**/*")):
        if path.suffix not in (".cpp", ".h") or str(path.relative_to(root)) in NOT_SHOWN:
            continue
        # Comments out, string literals kept whole (a "//" in a web address is no comment).
        code = re.sub(r'"(?:[^"\\\n]|\\.)*"|//[^\n]*', lambda m: m.group(0) if m.group(0)[0] == '"' else "",
                      path.read_text(encoding="utf-8"))
        japanese |= {text_of(m.group(1)) for m in LITERALS.finditer(code) if JAPANESE.search(m.group(1))}
        english |= {text_of(m.group(1)) for m in LOOKUP.finditer(code) if not JAPANESE.search(m.group(1))}
    return japanese, english


def missing(texts, catalog_path):
    catalog = dict(entries(catalog_path.read_text(encoding="utf-8").splitlines()))
    problems = []
    for text in sorted(texts):
        translated = catalog.get(text)
        if not translated:
            problems.append(f"{catalog_path.name}: no translation of {text!r}")
        elif sorted(PLACEHOLDER.findall(translated)) != sorted(PLACEHOLDER.findall(text)):
            problems.append(f"{catalog_path.name}: placeholders differ in {text!r}")
    return problems


def main():
    root = pathlib.Path(sys.argv[1])
    japanese, english = source_texts(root)
    problems = missing(japanese, root / "po/en.po") + missing(english, root / "po/ja.po")
    if len(japanese) < 50 or len(english) < 5:
        problems.append(f"too few texts found ({len(japanese)} Japanese, {len(english)} English): is the search broken?")
    print("\n".join(problems) or f"all {len(japanese)} Japanese and {len(english)} English texts translated")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
