"""Pages made by the built program with the source tree's template.dat, opened in one headless
Chromium: what the page's script drew, read through the DevTools protocol. No network is used.

Run as `page_test.py [unittest arguments]`; exits 77 (skipped) where Chromium is missing.
Environment: ROUTELET_PROGRAM, ROUTELET_TEMPLATE, ROUTELET_PAGE_DATA (tests/data/page),
ROUTELET_EXAMPLES (examples/).
"""

import datetime
import json
import math
import os
import pathlib
import re
import shutil
import statistics
import subprocess
import sys
import tempfile
import unittest

sys.dont_write_bytecode = True  # the source tree stays free of bytecode files
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import trip_maker  # noqa: E402
from chromium_session import Browser, find_chromium  # noqa: E402

START = datetime.datetime(2024, 5, 18, 0, 30, 0)  # UTC; 09:30 on a Saturday in Japan
ORIGIN = (35.3190, 139.5470)
PHOTO_DIR = pathlib.Path(os.environ.get("ROUTELET_PAGE_DATA", "tests/data/page"))
DATA = "document.body.dataset."
ROUTE = "document.getElementById('route-line').getAttribute('d')"
BREAKS = f"({ROUTE}.match(/M/g) || []).length"
PWNED = "window.pwned === undefined ? null : window.pwned"
VIEWER_LOADED = "document.getElementById('viewer-image').complete && document.getElementById('viewer-image').naturalWidth > 0"
browser = None


def setUpModule():
    global browser
    browser = Browser(find_chromium(), 1280, 900)


def tearDownModule():
    browser.close()


def at(seconds):
    return START + datetime.timedelta(seconds=seconds)


def make_page(cleanup, log_name, positions, step=5, photos=(), folder="trip", copy=(), options=()):
    """Converts a log in a fresh trip folder with the program and the template under test in a
    folder of their own; returns the page. `positions` go to trip_maker.write_log (bytes are
    written as they are); `photos` are (name, picture, UTC capture time or None for no Exif);
    `copy` lists files copied into the trip folder; `options` go to the program."""
    root = pathlib.Path(tempfile.mkdtemp(prefix="routelet-page-"))
    cleanup(shutil.rmtree, root, True)
    (root / "bin").mkdir()
    shutil.copy2(os.environ["ROUTELET_PROGRAM"], root / "bin" / "routelet")
    shutil.copy2(os.environ["ROUTELET_TEMPLATE"], root / "bin" / "template.dat")
    trip = root / folder
    trip.mkdir()
    for path in copy:
        shutil.copy2(path, trip / path.name)
    if isinstance(positions, bytes):
        (trip / log_name).write_bytes(positions)
    elif positions is not None:
        trip_maker.write_log(trip / log_name, START, step, positions)
    for name, picture, utc in photos:
        jpeg = (PHOTO_DIR / f"{picture}.jpg").read_bytes()
        (trip / name).parent.mkdir(parents=True, exist_ok=True)
        # The program takes the camera to be set to Japan time.
        (trip / name).write_bytes(trip_maker.jpeg_with_date(jpeg, utc + datetime.timedelta(hours=9)) if utc else jpeg)
    run = subprocess.run([str(root / "bin" / "routelet"), "--console", *options, str(trip / log_name)], cwd=trip,
                         env=dict(os.environ, TZ="Asia/Tokyo", LANG="C.UTF-8"), stdin=subprocess.DEVNULL,
                         capture_output=True, timeout=120)
    assert run.returncode == 0, f"routelet failed ({run.returncode}): {run.stderr.decode(errors='replace')}"
    return (trip / log_name).with_suffix(".html")


def js(expression):
    return browser.evaluate(expression)


class PageCase(unittest.TestCase):

    def open(self, page):
        for found in (browser.exceptions, browser.console_errors, browser.requests):
            found.clear()
        browser.open(page.as_uri())
        browser.wait_for(DATA + "ready === '1' || document.documentElement.dataset.errors")
        self.assert_clean()

    def assert_clean(self):
        self.assertEqual(browser.exceptions + browser.console_errors, [], "script errors")
        self.assertEqual(js("window.routeletErrors"), [], "errors caught by the page")
        # The page is self-contained: nothing but local files is ever requested.
        self.assertEqual([u for u in browser.requests if not u.startswith(("file:", "data:"))], [])

    def route(self):
        """The route's vertices as (command, x, y)."""
        return [(c, float(x), float(y)) for c, x, y in re.findall(r"([ML])(-?[\d.]+) (-?[\d.]+)", js(ROUTE))]

    def assert_spaced(self, vertices):
        """Within a stretch, each vertex lies a pixel or more from the one before, the stretch's
        last aside (always drawn). Coordinates to a tenth of a pixel can shorten a gap by 0.15."""
        for i in range(1, len(vertices) - 1):
            if vertices[i][0] == "L" and vertices[i + 1][0] == "L":
                self.assertGreaterEqual(math.dist(vertices[i][1:], vertices[i - 1][1:]), 0.85, f"vertex {i}")

    def centre(self, selector):
        """Scrolls the element into view; the viewport position of its centre."""
        return js(f"(function () {{ var e = document.querySelector({selector!r});"
                  " e.scrollIntoView({block: 'center'}); var r = e.getBoundingClientRect();"
                  " return [r.left + r.width / 2, r.top + r.height / 2]; })()")

    def open_viewer(self, item):
        browser.click(*self.centre(f"#photo-grid li:nth-child({item}) button"))
        browser.wait_for(VIEWER_LOADED)

    def close_viewer(self):
        browser.key("Escape", 27)
        browser.wait_for("document.getElementById('viewer').classList.contains('hidden')")
        self.assert_clean()


class PhotoFolders(PageCase):

    def test_photos_of_a_card_folder_load_through_their_paths(self):
        card = "../card #1/DCIM"
        self.open(make_page(self.addCleanup, "walk.nmea", trip_maker.hill_walk(ORIGIN, 100), options=["--photos", "../card #1"],
                            photos=[(f"{card}/100TEST/IMG_0002.JPG", "lake", at(150)),
                                    (f"{card}/101TEST/IMG_0001.JPG", "torii", at(50))]))
        js("Promise.all([...document.querySelectorAll('#photo-grid img')].map(i =>"
           " { i.loading = 'eager'; return i.decode().catch(() => null); }))")
        self.assertEqual(js("[...document.querySelectorAll('#photo-grid img')].map(i => [i.getAttribute('src'), i.naturalWidth])"),
                         [["../card%20%231/DCIM/101TEST/IMG_0001.JPG", 320], ["../card%20%231/DCIM/100TEST/IMG_0002.JPG", 320]])


class TripPage(PageCase):
    """A 2-hour walk, a fix every 5 s; three photos during it, one after it, one without a date.
    Built once, opened afresh for each test."""

    FIXES = 1440
    # name, picture, seconds after the start, the fix nearest in time; in time order
    PHOTOS = [("torii.jpg", "torii", 1002, 200), ("mountain.jpg", "mountain", 3200, 640),
              ("lake.jpg", "lake", 5003, 1001)]

    @classmethod
    def setUpClass(cls):
        cls.page = make_page(cls.addClassCleanup, "walk.nmea", trip_maker.hill_walk(ORIGIN, cls.FIXES), photos=[
            *[(name, picture, at(s)) for name, picture, s, _ in cls.PHOTOS],
            ("later.jpg", "forest", at(5 * (cls.FIXES + 100))), ("no-date.jpg", "forest", None)])

    def setUp(self):
        self.open(self.page)
        self.lines = [line.split(",") for line in js("document.getElementById('track-data').textContent").split("\n")
                      if line.strip()]

    def test_every_point_reaches_the_script_and_the_header_sums_them_up(self):
        self.assertEqual(js(DATA + "points"), str(self.FIXES))
        self.assertEqual({len(fields) for fields in self.lines} | {len(self.lines)}, {7, self.FIXES})
        text = js("['#log-name', '#log-path', '#when', '.totals .num', '#duration'].map(s =>"
                  " document.querySelector(s).textContent)")
        self.assertEqual(text[0], "walk.nmea")
        self.assertTrue(text[1].endswith("/trip/walk.nmea"), text[1])
        self.assertEqual(text[2:], ["2024/05/18 (土) 09:30 \u301c 11:29", f"{float(self.lines[-1][4]):.2f}", "2時間0分"])

    def test_route_is_one_line_with_points_a_pixel_apart(self):
        vertices = self.route()
        self.assertEqual(js(DATA + "routeVertices"), str(len(vertices)))
        self.assertEqual([c for c, _, _ in vertices].count("M"), 1)
        # The 180 fixes of the rest collapse; the walk, metres a fix, keeps a good share.
        self.assertTrue(self.FIXES // 4 < len(vertices) < self.FIXES - 170, len(vertices))
        self.assert_spaced(vertices)

    def test_photos_are_listed_in_time_order_and_marked_at_the_nearest_fix(self):
        self.assertEqual([js("document.getElementById('photo-count').textContent"), js(DATA + "photos"),
                          js(DATA + "photoMarkers")], ["3", "3", "3"])
        self.assertEqual(js("[...document.querySelectorAll('#photo-grid img')].map(i => i.alt)"),
                         [name for name, *_ in self.PHOTOS])
        # Two seconds after a fix is nearer to it; three seconds after, nearer to the next.
        markers = js("[...document.querySelectorAll('.photo-marker')].map(m => "
                     "[m.querySelector('text').textContent, Number(m.getAttribute('data-point'))])")
        self.assertEqual(sorted(markers), [[str(k + 1), p[3]] for k, p in enumerate(self.PHOTOS)])
        self.assertEqual(js("[...document.querySelectorAll('#photo-grid .where')].map(e => e.textContent)"),
                         [f"{float(self.lines[p[3]][4]):.2f} km 地点" for p in self.PHOTOS])

    def test_clicking_a_photo_opens_it_large_and_marks_it_on_the_map(self):
        self.open_viewer(2)
        self.assertFalse(js("document.getElementById('viewer').classList.contains('hidden')"))
        self.assertEqual(js("[document.getElementById('viewer-image').getAttribute('src'),"
                            " document.querySelector('.photo-marker.selected text').textContent]"), ["mountain.jpg", "2"])
        self.close_viewer()

    def test_hovering_a_profile_shows_the_point_on_both_profiles_and_the_map(self):
        left, top, width, height = js("(function () { var s = document.getElementById('altitude-chart');"
                                      " s.scrollIntoView({block: 'center'}); var r = s.getBoundingClientRect();"
                                      " return [r.left, r.top, r.width, r.height]; })()")
        # Halfway along the plot (58 px left margin, 14 px right margin).
        browser.mouse("mouseMoved", left + 58 + (width - 72) / 2, top + height / 2)
        browser.wait_for("!document.getElementById('tip').classList.contains('hidden')")
        tip = js("document.getElementById('tip').textContent")
        self.assertRegex(tip, r"^2024/05/18 \d\d:\d\d:\d\d標高 [\d.]+ m速度 [\d.]+ km/h")
        total = float(self.lines[-1][4])
        self.assertAlmostEqual(float(re.search(r"距離 ([\d.]+) km", tip).group(1)), total / 2, delta=total / 50)
        self.assertEqual(js("['#map-cursor', '#speed-chart .cursor'].map(s =>"
                            " document.querySelector(s).classList.contains('hidden'))"), [False, False])

    def test_wheel_zooms_and_drag_pans_the_map(self):
        x, y = self.centre("#map")
        before = float(js(DATA + "mapScale"))
        browser.mouse("mouseWheel", x, y, deltaX=0, deltaY=-500)
        browser.wait_for(f"Number({DATA}mapScale) > {before * 2}")
        self.assert_spaced(self.route())
        d = js(ROUTE)
        browser.mouse("mousePressed", x, y, "left", 1)
        browser.mouse("mouseMoved", x + 150, y + 40, "left")
        browser.mouse("mouseReleased", x + 150, y + 40, "left", 1)
        browser.wait_for(f"{ROUTE} !== {json.dumps(d)}")
        self.assert_clean()

    def test_points_table_opens_page_by_page(self):
        browser.click(*self.centre("#points summary"))
        browser.wait_for("document.querySelectorAll('#points-rows tr').length > 0")
        self.assertEqual(js("[...document.querySelectorAll('#points-rows tr')].map(r => r.cells[1].textContent)"),
                         [fields[6] for fields in self.lines[:200]])
        browser.click(*self.centre("#page-next"))
        browser.wait_for("document.querySelector('#points-rows tr').cells[0].textContent === '200'")
        self.assertEqual(js("document.getElementById('page-label').textContent"), "201\u2013400 / 1440")


class HostileNames(PageCase):
    """Photo names and a log path full of markup, quotes, URL delimiters and placeholders."""

    PHOTOS = ['a"b.jpg', "<b>x<\\b>.jpg", "IMG#1.jpg", "x'y&z.jpg", "<img src=x onerror=window.pwned=1>.jpg",
              '"><svg onload=window.pwned=2>.jpg', "50%41.jpg", "what?.jpg", "写真 1.jpg", "[filename].jpg",
              "[numphoto] [totaldist].jpg"]
    LOG = "<svg onload=window.pwned=3>trip.nmea"

    @classmethod
    def setUpClass(cls):
        cls.page = make_page(cls.addClassCleanup, cls.LOG, trip_maker.hill_walk(ORIGIN, 300),
                             folder="evil <i>dir<\\i> & 'q' \"w\" #1 %20",
                             photos=[(n, ["torii", "lake", "mountain", "forest"][k % 4], at(50 + 125 * k))
                                     for k, n in enumerate(cls.PHOTOS)])

    def setUp(self):
        self.open(self.page)

    def test_no_injected_script_runs_and_every_name_reads_back_exactly(self):
        self.assertIsNone(js(PWNED))
        self.assertEqual(js("document.querySelectorAll('[onload], [onerror], svg svg').length"), 0)
        self.assertEqual(js("document.scripts.length"), 3, "only the template's own script blocks")
        self.assertEqual(js("[document.getElementById('log-name').textContent, document.getElementById('log-path')"
                            ".textContent]"), [self.LOG, str(self.page.parent / self.LOG)])
        self.assertEqual(js("[...document.querySelectorAll('#photo-grid li')].map(li =>"
                            " [li.querySelector('img').alt, li.querySelector('.name').textContent])"),
                         [[n, n] for n in self.PHOTOS])

    def test_every_photo_loads_through_its_link_also_in_the_viewer(self):
        js("Promise.all([...document.querySelectorAll('#photo-grid img')].map(i =>"
           " { i.loading = 'eager'; return i.decode().catch(() => null); }))")
        self.assertEqual(js("[...document.querySelectorAll('#photo-grid img')].map(i => i.naturalWidth)"),
                         [320] * len(self.PHOTOS))
        self.assertEqual(js(DATA + "photoMarkers"), str(len(self.PHOTOS)))
        self.open_viewer(6)
        self.assertEqual(js("document.getElementById('viewer-name').textContent"), "6. " + self.PHOTOS[5])
        self.assertIsNone(js(PWNED))
        self.close_viewer()


def course(lat, lng, east_km, north_km, fixes=300):
    """Fixes at even steps on a straight course, longitudes wrapped at the 180th meridian."""
    return [(la, (lo + 180) % 360 - 180, 5.0)
            for la, lo in (trip_maker.offset((lat, lng), east_km * k, north_km * k) for k in range(fixes))]


def circle_with_gaps():
    """400 points round a 1.5 km circle; 300 fixes standing on one of them; two at 0, 0 (no
    position) that break the line."""
    ring = [(*trip_maker.offset(ORIGIN, 1.5 * math.sin(a), 1.5 * math.cos(a)), 20.0)
            for a in (2 * math.pi * k / 400 for k in range(400))]
    return ring[:100] + [(0.0, 0.0, 0.0)] * 2 + ring[100:200] + [ring[199]] * 300 + ring[200:]


def drawn(points, vertices, breaks):
    return {DATA + "points": str(points), DATA + "routeVertices": str(vertices), BREAKS: breaks}


def hidden(selector):
    return f"document.querySelector('{selector}').classList.contains('hidden')"


class TrackShapes(PageCase):
    # name, positions, seconds a fix, heading of the course in degrees from east (its steps are
    # then checked to be even; None: not a straight course), {script expression: value}
    CASES = [
        ("circle", circle_with_gaps(), 1, None, drawn(702, 400, 2)),
        ("south-west", course(-33.90, -70.70, 0.05, -0.03), 10, math.degrees(math.atan2(-0.03, 0.05)), drawn(300, 300, 1)),
        ("across-180", course(-17.80, 179.90, 0.08, 0.0), 10, 0.0, drawn(300, 300, 1)),
        ("far-north", course(69.60, 18.90, 0.04, 0.04), 10, 45.0, drawn(300, 300, 1)),
        ("one fix, no photo", [(35.0, 139.0, 10.0)], 1, None, {
            **drawn(1, 1, 1), DATA + "photoMarkers": "0",
            "getComputedStyle(document.getElementById('photo-grid'), '::before').content":
                '"この記録の間に撮影された写真はありません。"'}),
        ("no fix", b"$GPGGA,003000,,,,,0,00,,,M,,M,,*66\r\n$GPTXT,01,01,02,searching*0C\r\n", 1, None, {
            **drawn(0, 0, 0), hidden("#map-empty"): False, hidden("#profiles-empty"): False,
            "document.querySelectorAll('#photo-grid li').length": 0,
            "document.getElementById('points-count').textContent": "0"}),
        # A week of fixes, one a second: the drawing keeps to what the screen can show. How long
        # it takes is measured by bench/page.
        ("200,000 fixes", "large", 1, None, {DATA + "points": "200000", f"Number({DATA}routeVertices) < 20000": True,
            # Each pixel column of a profile keeps its lowest and its highest value.
            "['altitude-chart', 'speed-chart'].map(id => document.getElementById(id).getAttribute('data-vertices')"
            " > 1.5 * document.getElementById(id).clientWidth)": [True, True]}),
    ]

    def test_tracks_are_drawn_to_scale_with_points_a_pixel_apart(self):
        for name, positions, step, heading, expected in self.CASES:
            with self.subTest(name):
                if positions == "large":
                    positions = trip_maker.hill_walk(ORIGIN, 200000, 1)
                self.open(make_page(self.addCleanup, "track.nmea", positions, step))
                self.assertEqual({e: js(e) for e in expected}, expected)
                vertices = self.route()
                self.assert_spaced(vertices)
                # The profiles draw at most two vertices per pixel column.
                for count, width in js("['altitude-chart', 'speed-chart'].map(id => [Number(document."
                                       "getElementById(id).getAttribute('data-vertices')), document.getElementById(id).clientWidth])"):
                    self.assertTrue(0 < count <= 2 * width if vertices else count == 0, (count, width))
                if heading is not None:
                    # Even steps: a jump across the map would be hundreds of times a step.
                    steps = [math.dist(a[1:], b[1:]) for a, b in zip(vertices, vertices[1:])]
                    self.assertLess(max(steps), 3 * statistics.median(steps))
                    (_, x0, y0), (_, x1, y1) = vertices[0], vertices[-1]
                    self.assertAlmostEqual(math.degrees(math.atan2(y0 - y1, x1 - x0)), heading, delta=1.5)

    def test_bundled_sample_converts_into_a_working_page(self):
        examples = pathlib.Path(os.environ.get("ROUTELET_EXAMPLES", "examples"))
        logs = sorted(examples.glob("*.log"))
        self.assertTrue(logs, f"no sample log in {examples}")
        self.open(make_page(self.addCleanup, logs[0].name, None, copy=[*logs, *examples.glob("*.jpg")]))
        photos = js("document.getElementById('photo-count').textContent")
        self.assertGreater(int(photos), 0)
        self.assertEqual([js(DATA + "photoMarkers"), str(js("document.querySelectorAll('#photo-grid li').length"))],
                         [photos, photos])
        self.assertGreater(int(js(DATA + "routeVertices")), 10)
        self.open_viewer(1)
        self.close_viewer()


if __name__ == "__main__":
    if find_chromium() is None:
        print("SKIPPED: Chromium is not installed (Debian package chromium); no page was opened.")
        sys.exit(77)
    unittest.main(verbosity=2)
