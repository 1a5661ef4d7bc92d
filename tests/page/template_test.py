"""Checks of the shipped template.dat that need no browser: the file survives editors and
version control with its sections intact, it names files only in their escaped forms, and it
loads nothing from the network."""

import os
import re
import unittest

TEMPLATE = os.environ.get("ROUTELET_TEMPLATE", "template.dat")
SVG_NAMESPACE = "http://www.w3.org/2000/svg"


def read_bytes():
    with open(TEMPLATE, "rb") as f:
        return f.read()


def sections(text):
    """The sections as the program cuts them: lines end at CR LF or CR, a line starting with
    "*" names the next section, the lines before the first header form "body"."""
    found = {"body": []}
    name = "body"
    for line in re.split("\r\n|\r", text):
        if line.startswith("*"):
            name = line[1:]
            found[name] = []
        else:
            found[name].append(line)
    return {key: "\r\n".join(lines).lstrip("\r\n") for key, lines in found.items()}


class TemplateFile(unittest.TestCase):

    def setUp(self):
        self.raw = read_bytes()
        self.text = self.raw.decode("utf-8")
        self.sections = sections(self.text)

    def test_utf8_without_byte_order_mark(self):
        self.assertFalse(self.raw.startswith(b"\xef\xbb\xbf"))

    def test_every_line_ends_with_cr_lf(self):
        # A line feed alone does not end a line for the program: one would glue the rest of
        # the file into a single line and lose every section after it.
        self.assertEqual(self.raw.count(b"\n"), self.raw.count(b"\r\n"), "line feed without carriage return")
        self.assertEqual(self.raw.count(b"\r"), self.raw.count(b"\r\n"), "carriage return without line feed")
        self.assertTrue(self.raw.endswith(b"\r\n"))

    def test_only_the_intended_header_lines(self):
        # A CSS or script line starting with "*" would silently start a new section.
        headers = [line for line in self.text.split("\r\n") if line.startswith("*")]
        self.assertEqual(headers, ["*recordlist", "*photolist", "*notes"])

    def test_items_are_single_lines(self):
        for name in ("recordlist", "photolist"):
            with self.subTest(section=name):
                item = self.sections[name].rstrip("\r\n")
                self.assertNotIn("\r\n", item)
                self.assertTrue(item)


class Placeholders(unittest.TestCase):

    def setUp(self):
        self.sections = sections(read_bytes().decode("utf-8"))
        self.body = self.sections["body"]

    def test_body_lists_points_and_photos_once_each(self):
        for placeholder in ("[recordlist]", "[photolist]", "[totaldist]", "[avgspeed]",
                            "[numrecord]", "[numphoto]"):
            with self.subTest(placeholder=placeholder):
                self.assertEqual(self.body.count(placeholder), 1)

    def test_points_go_into_a_plain_text_script_block(self):
        # Inside <script type="text/plain"> the numbers are inert text; nothing but "</script"
        # could end the block, and a point line never holds "<".
        self.assertRegex(self.body, r'<script type="text/plain" id="track-data">\r\n\[recordlist\]</script>')
        self.assertNotIn("<", self.sections["recordlist"])

    def test_names_appear_only_escaped(self):
        # "[filename]" and "[file]" put raw names into the page; markup must use the escaped forms.
        for name, text in self.sections.items():
            if name == "notes":
                continue
            with self.subTest(section=name):
                self.assertFalse("[filename]" in text or "[file]" in text, "a raw name placeholder")
        self.assertIn("[filename:html]", self.body)

    def test_photo_links_use_the_url_form_and_captions_the_html_form(self):
        item = self.sections["photolist"]
        urls = re.findall(r'(\w+)="\[file:url\]"', item)
        self.assertEqual(urls, ["src"])
        for match in re.finditer(r"\[file:html\]", item):
            before = item[:match.start()]
            # Either in a quoted attribute value or in element content.
            self.assertTrue(before.endswith('="') or before.endswith(">"), item[match.start() - 20:match.end()])


class Offline(unittest.TestCase):

    def test_nothing_is_loaded_from_elsewhere(self):
        text = "\r\n".join(v for k, v in sections(read_bytes().decode("utf-8")).items() if k != "notes")
        addresses = set(re.findall(r"[a-z][a-z0-9+.-]*://[^\s\"')]*", text, re.IGNORECASE))
        # The SVG namespace is a name, never fetched.
        self.assertEqual(addresses - {SVG_NAMESPACE}, set())
        self.assertNotRegex(text, r"@import|@font-face|<link\b|<iframe\b|<script[^>]*\bsrc=")
        self.assertNotRegex(text, r'(src|href)="//')


if __name__ == "__main__":
    unittest.main(verbosity=2)
