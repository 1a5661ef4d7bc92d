"""Pages made by the built program with the shipped template, opened in headless Chromium.

Each case writes a log (and photos) into a fresh folder, runs the program on it, opens the page
and checks what the page's script drew, through the DevTools protocol. The program runs from a
folder of its own with the source tree's template.dat beside it, so an edited template is what
gets tested. Nothing here uses the network.

Run as `page_test.py [unittest arguments]`; exits with 77 (skipped) where Chromium is missing.
Environment: ROUTELET_PROGRAM (the built program), ROUTELET_TEMPLATE (template.dat),
ROUTELET_PAGE_DATA (tests/data/page), ROUTELET_EXAMPLES (examples/), ROUTELET_PAGE_OUT (where
screenshots go).
"""

import datetime
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

# The helper modules are imported from the source tree, which stays free of bytecode files.
sys.dont_write_bytecode = True
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import trip_maker  # noqa: E402
from chromium_session import Browser, find_chromium  # noqa: E402

SKIPPED = 77
START = datetime.datetime(2024, 5, 18, 0, 30, 0)       # UTC; 09:30 in Japan
ORIGIN = (35.3190, 139.5470)
PHOTO_DIR = pathlib.Path(os.environ.get("ROUTELET_PAGE_DATA", "tests/data/page"))
SHOT_DIR = pathlib.Path(os.environ.get("ROUTELET_PAGE_OUT", tempfile.gettempdir()))
CHROMIUM = find_chromium()


# ------------------------------------------------------------------------------------------
# Making pages
# ------------------------------------------------------------------------------------------

class Workspace:
    """A temporary folder holding the program with the template under test, and a trip folder."""

    def __init__(self, trip_folder_name="trip"):
        self.root = pathlib.Path(tempfile.mkdtemp(prefix="routelet-page-"))
        self.bin = self.root / "bin"
        self.bin.mkdir()
        self.program = self.bin / "routelet"
        shutil.copy2(os.environ["ROUTELET_PROGRAM"], self.program)
        shutil.copy2(os.environ["ROUTELET_TEMPLATE"], self.bin / "template.dat")
        self.trip = self.root / trip_folder_name
        self.trip.mkdir()

    def add_photo(self, name, picture, utc, folder=None):
        """A photo taken at UTC `utc` by a camera set to Japan time, in the trip folder or `folder`."""
        jpeg = (PHOTO_DIR / f"{picture}.jpg").read_bytes()
        (folder or self.trip).mkdir(parents=True, exist_ok=True)
        ((folder or self.trip) / name).write_bytes(trip_maker.jpeg_with_date(jpeg, trip_maker.camera_time_of(utc)))

    def convert(self, log_name, *options):
        """Runs the program on the log with `options`; returns the page's path."""
        log = self.trip / log_name
        env = dict(os.environ, TZ="Asia/Tokyo", LANG="C.UTF-8")
        run = subprocess.run([str(self.program), "--console", *options, str(log)], cwd=self.trip, env=env,
                             stdin=subprocess.DEVNULL, capture_output=True, timeout=120)
        if run.returncode != 0:
            raise AssertionError(f"routelet failed ({run.returncode}): {run.stderr.decode(errors='replace')}")
        page = log.with_suffix(".html")
        if not page.exists():
            raise AssertionError(f"no page was written for {log}")
        return page

    def remove(self):
        shutil.rmtree(self.root, ignore_errors=True)


def at_step(index, step_seconds=5):
    return START + datetime.timedelta(seconds=index * step_seconds)


# ------------------------------------------------------------------------------------------
# Reading what the page drew
# ------------------------------------------------------------------------------------------

READY = "document.body.getAttribute('data-ready') === '1'"


class PageCase(unittest.TestCase):
    browser = None

    @classmethod
    def setUpClass(cls):
        cls.browser = Browser(CHROMIUM, 1280, 900)

    @classmethod
    def tearDownClass(cls):
        cls.browser.close()

    def open_page(self, page):
        b = self.browser
        b.exceptions.clear()
        b.console_errors.clear()
        b.send("Emulation.setDeviceMetricsOverride",
               {"width": 1280, "height": 900, "deviceScaleFactor": 1, "mobile": False})
        b.open(page.resolve().as_uri())
        b.wait_for(READY)
        self.assert_no_script_error()

    def assert_no_script_error(self):
        b = self.browser
        self.assertEqual(b.exceptions, [], "uncaught script exceptions")
        self.assertEqual(b.console_errors, [], "errors written to the console")
        self.assertEqual(b.evaluate("window.routeletErrors"), [], "errors caught by the page")

    def js(self, expression):
        return self.browser.evaluate(expression)

    def body_number(self, name):
        return int(self.js(f"document.body.getAttribute('data-{name}')"))

    def route_vertices(self):
        """The route path's vertices as (command, x, y)."""
        d = self.js("document.getElementById('route-line').getAttribute('d')")
        return [(c, float(x), float(y)) for c, x, y in re.findall(r"([ML])(-?[\d.]+) (-?[\d.]+)", d)]

    def track_lines(self):
        """The page's data block, one list of fields per point."""
        text = self.js("document.getElementById('track-data').textContent")
        return [line.split(",") for line in text.splitlines() if line.strip()]

    def centre_of(self, selector):
        """Scrolls the element into view and gives the viewport position of its centre."""
        return self.js(f"""(function () {{
            var e = document.querySelector({selector!r});
            e.scrollIntoView({{block: 'center'}});
            var r = e.getBoundingClientRect();
            return [r.left + r.width / 2, r.top + r.height / 2];
        }})()""")

    def assert_spacing_at_least_one_pixel(self, vertices):
        """Within each drawn stretch, a vertex lies at least a pixel from the one before it
        (the last vertex of a stretch may be closer: it is always drawn). The path writes
        coordinates to a tenth of a pixel, which can shorten a gap by up to 0.15 px."""
        for i in range(1, len(vertices) - 1):
            if vertices[i][0] == "L" and vertices[i + 1][0] == "L":
                gap = math.dist(vertices[i][1:], vertices[i - 1][1:])
                self.assertGreaterEqual(gap, 0.85, f"vertex {i} is {gap:.2f} px from the one before")

    def save_screenshot(self, name, height=1600, from_top=True):
        if from_top:
            self.js("document.activeElement && document.activeElement.blur(); window.scrollTo(0, 0)")
        self.browser.screenshot(str(SHOT_DIR / name), 1280, height)
        self.browser.send("Emulation.setDeviceMetricsOverride",
                          {"width": 1280, "height": 900, "deviceScaleFactor": 1, "mobile": False})


# ------------------------------------------------------------------------------------------
# A day's walk with photos
# ------------------------------------------------------------------------------------------

class BuiltPageCase(PageCase):
    """One page made for the whole class in a workspace of its own (build_page fills the
    workspace and converts), opened afresh before each test."""

    trip_folder_name = "trip"

    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        cls.space = Workspace(cls.trip_folder_name)
        cls.page = cls.build_page(cls.space)

    @classmethod
    def tearDownClass(cls):
        super().tearDownClass()
        cls.space.remove()

    def setUp(self):
        self.open_page(self.page)


class TripPage(BuiltPageCase):
    """A 2-hour walk, 5 s between fixes, three photos during it, one after it, and a JPEG
    without a capture time."""

    FIXES = 1440
    # photo name -> (picture, seconds after the start, index of the fix nearest in time)
    PHOTOS = {"torii.jpg": ("torii", 5 * 200 + 2, 200), "lake.jpg": ("lake", 5 * 1000 + 3, 1001),
              "mountain.jpg": ("mountain", 5 * 640, 640)}

    @classmethod
    def build_page(cls, space):
        trip_maker.write_log(space.trip / "walk.nmea", START, 5,
                             trip_maker.hill_walk(ORIGIN, cls.FIXES))
        for name, (picture, seconds, _) in cls.PHOTOS.items():
            space.add_photo(name, picture, at_step(seconds, 1))
        space.add_photo("later.jpg", "forest", at_step(cls.FIXES + 100))
        (space.trip / "no-date.jpg").write_bytes((PHOTO_DIR / "forest.jpg").read_bytes())
        return space.convert("walk.nmea")

    def test_every_point_reaches_the_script(self):
        self.assertEqual(self.body_number("points"), self.FIXES)
        lines = self.track_lines()
        self.assertEqual(len(lines), self.FIXES)
        self.assertTrue(all(len(fields) == 7 for fields in lines), "each point line has seven fields")

    def test_header_shows_name_local_date_and_totals(self):
        self.assertEqual(self.js("document.getElementById('log-name').textContent"), "walk.nmea")
        self.assertTrue(self.js("document.getElementById('log-path').textContent").endswith("/trip/walk.nmea"))
        # The walk starts at 00:30 UTC, 09:30 in Japan, on a Saturday.
        self.assertEqual(self.js("document.getElementById('when').textContent"),
                         "2024/05/18 (土) 09:30 \u301c 11:29")
        last_dist = self.track_lines()[-1][4]
        total = self.js("document.querySelector('.totals .num').textContent")
        self.assertEqual(total, f"{float(last_dist):.2f}")
        self.assertEqual(self.js("document.getElementById('duration').textContent"), "2時間0分")

    def test_route_keeps_every_point_a_pixel_apart_and_breaks_nowhere(self):
        vertices = self.route_vertices()
        self.assertEqual(self.body_number("route-vertices"), len(vertices))
        self.assertEqual([c for c, _, _ in vertices].count("M"), 1)
        # The rest at the top (180 fixes on one spot) collapses; the walk itself, a few metres
        # a fix, keeps a good share of its points.
        self.assertLess(len(vertices), self.FIXES - 170)
        self.assertGreater(len(vertices), self.FIXES // 4)
        self.assert_spacing_at_least_one_pixel(vertices)

    def test_photos_are_listed_in_time_order_and_placed_at_the_nearest_fix(self):
        self.assertEqual(self.js("document.getElementById('photo-count').textContent"), "3")
        self.assertEqual(self.body_number("photos"), 3)
        self.assertEqual(self.body_number("photo-markers"), 3)
        by_time = sorted(self.PHOTOS.items(), key=lambda item: item[1][1])
        names = self.js("[...document.querySelectorAll('#photo-grid img')].map(i => i.alt)")
        self.assertEqual(names, [name for name, _ in by_time])
        # Two seconds after a fix is nearer to it; three seconds after, nearer to the next.
        markers = self.js("[...document.querySelectorAll('.photo-marker')].map(m => "
                          "[m.querySelector('text').textContent, Number(m.getAttribute('data-point'))])")
        self.assertEqual(sorted(markers), [[str(k + 1), index] for k, (_, (_, _, index)) in enumerate(by_time)])
        lines = self.track_lines()
        places = self.js("[...document.querySelectorAll('#photo-grid .where')].map(e => e.textContent)")
        self.assertEqual(places, [f"{float(lines[index][4]):.2f} km 地点" for _, (_, _, index) in by_time])

    def test_clicking_a_photo_opens_it_large_and_marks_it_on_the_map(self):
        x, y = self.centre_of("#photo-grid li:nth-child(2) button")
        self.browser.click(x, y)
        self.browser.wait_for("!document.getElementById('viewer').classList.contains('hidden')")
        self.browser.wait_for("document.getElementById('viewer-image').complete")
        shown = self.js("(function () { var i = document.getElementById('viewer-image');"
                        " return [i.getAttribute('src'), i.naturalWidth]; })()")
        self.assertEqual(shown, ["mountain.jpg", 320])
        self.assertEqual(self.js("document.querySelector('.photo-marker.selected text').textContent"), "2")
        self.save_screenshot("page-photo-view.png", 900, from_top=False)
        self.browser.send("Input.dispatchKeyEvent", {"type": "keyDown", "key": "Escape", "code": "Escape",
                                                     "windowsVirtualKeyCode": 27})
        self.browser.wait_for("document.getElementById('viewer').classList.contains('hidden')")
        self.assert_no_script_error()

    def test_hovering_a_profile_shows_the_point_and_marks_it_on_the_map(self):
        left, top, width, height = self.js(
            "(function () { var s = document.getElementById('altitude-chart');"
            " s.scrollIntoView({block: 'center'}); var r = s.getBoundingClientRect();"
            " return [r.left, r.top, r.width, r.height]; })()")
        # Halfway along the plot's width (58 px left margin, 14 px right margin).
        self.browser.mouse("mouseMoved", left + 58 + (width - 72) / 2, top + height / 2)
        self.browser.wait_for("!document.getElementById('tip').classList.contains('hidden')")
        tip = self.js("document.getElementById('tip').textContent")
        total = float(self.track_lines()[-1][4])
        shown_km = float(re.search(r"距離 ([\d.]+) km", tip).group(1))
        self.assertAlmostEqual(shown_km, total / 2, delta=total / 50)
        self.assertRegex(tip, r"^2024/05/18 \d\d:\d\d:\d\d標高 [\d.]+ m速度 [\d.]+ km/h")
        self.assertFalse(self.js("document.getElementById('map-cursor').classList.contains('hidden')"))
        self.assertFalse(self.js("document.querySelector('#speed-chart .cursor').classList.contains('hidden')"))

    def test_wheel_zooms_and_drag_pans_the_map(self):
        x, y = self.centre_of("#map")
        before = float(self.js("document.body.getAttribute('data-map-scale')"))
        self.browser.send("Input.dispatchMouseEvent", {"type": "mouseWheel", "x": x, "y": y,
                                                       "deltaX": 0, "deltaY": -500})
        self.browser.wait_for(f"Number(document.body.getAttribute('data-map-scale')) > {before * 2}")
        zoomed = self.route_vertices()
        self.assert_spacing_at_least_one_pixel(zoomed)
        self.browser.mouse("mouseMoved", x, y)
        self.browser.mouse("mousePressed", x, y, "left", 1)
        self.browser.mouse("mouseMoved", x + 150, y + 40, "left")
        self.browser.mouse("mouseReleased", x + 150, y + 40, "left", 1)
        self.browser.wait_for("document.getElementById('route-line').getAttribute('d') !== " +
                              repr("".join(f"{c}{a:.1f} {b:.1f}" for c, a, b in zoomed)))
        panned = self.route_vertices()
        self.assertNotEqual(panned[0], zoomed[0])
        self.assert_no_script_error()

    def test_points_table_opens_page_by_page(self):
        x, y = self.centre_of("#points summary")
        self.browser.click(x, y)
        self.browser.wait_for("document.querySelectorAll('#points-rows tr').length > 0")
        rows = self.js("[...document.querySelectorAll('#points-rows tr')].map(r => r.cells[1].textContent)")
        lines = self.track_lines()
        self.assertEqual(rows, [fields[6] for fields in lines[:200]])
        x, y = self.centre_of("#page-next")
        self.browser.click(x, y)
        self.browser.wait_for("document.querySelector('#points-rows tr').cells[0].textContent === '200'")
        self.assertEqual(self.js("document.getElementById('page-label').textContent"), "201\u2013400 / 1440")

    def test_screenshot(self):
        self.save_screenshot("page-trip.png")
        self.assertTrue((SHOT_DIR / "page-trip.png").stat().st_size > 20000)


# ------------------------------------------------------------------------------------------
# Decimation on a track with a known shape
# ------------------------------------------------------------------------------------------

class DecimatedRoute(BuiltPageCase):
    """400 points around a circle, many pixels apart; 300 fixes standing on one of them; two
    fixes at 0, 0 that break the line."""

    @classmethod
    def build_page(cls, space):
        circle = []
        for k in range(400):
            angle = 2 * math.pi * k / 400
            lat, lng = trip_maker.offset(ORIGIN, 1.5 * math.sin(angle), 1.5 * math.cos(angle))
            circle.append((lat, lng, 20.0))
        positions = circle[:100] + [(0.0, 0.0, 0.0)] * 2 + circle[100:200] + [circle[199]] * 300 + circle[200:]
        trip_maker.write_log(space.trip / "circle.nmea", START, 1, positions)
        return space.convert("circle.nmea")

    def test_points_closer_than_a_pixel_are_dropped_and_the_rest_kept(self):
        self.assertEqual(self.body_number("points"), 702)
        vertices = self.route_vertices()
        self.assertEqual(len(vertices), 400)
        self.assertEqual([c for c, _, _ in vertices].count("M"), 2, "the fixes at 0, 0 break the line")
        self.assert_spacing_at_least_one_pixel(vertices)

    def test_profiles_draw_at_most_two_vertices_per_pixel_column(self):
        counts = self.js("['altitude-chart', 'speed-chart'].map(id => {"
                         " var s = document.getElementById(id);"
                         " return [Number(s.getAttribute('data-vertices')), s.clientWidth]; })")
        for vertices, width in counts:
            self.assertGreater(vertices, 0)
            self.assertLessEqual(vertices, 2 * width)


# ------------------------------------------------------------------------------------------
# Projection far from Japan
# ------------------------------------------------------------------------------------------

class FarAwayTracks(PageCase):
    """Evenly spaced fixes on a straight course: drawn as one unbroken line of even steps
    wherever on Earth it lies, also across the 180th meridian."""

    COURSES = {
        # name: (start latitude, start longitude, km east per fix, km north per fix)
        "south-west": (-33.90, -70.70, 0.05, -0.03),
        "across-180": (-17.80, 179.90, 0.08, 0.0),
        "far-north": (69.60, 18.90, 0.04, 0.04),
    }

    def setUp(self):
        self.space = Workspace()

    def tearDown(self):
        self.space.remove()

    def test_courses_are_drawn_as_one_even_line(self):
        for name, (lat, lng, east, north) in self.COURSES.items():
            with self.subTest(course=name):
                positions = []
                for k in range(300):
                    la, lo = trip_maker.offset((lat, lng), east * k, north * k)
                    lo = (lo + 180) % 360 - 180
                    positions.append((la, lo, 5.0))
                trip_maker.write_log(self.space.trip / f"{name}.nmea", START, 10, positions)
                self.open_page(self.space.convert(f"{name}.nmea"))
                vertices = self.route_vertices()
                # The fixes lie a few pixels apart: every one is drawn, in one piece.
                self.assertEqual(len(vertices), len(positions))
                self.assertEqual([c for c, _, _ in vertices].count("M"), 1)
                steps = [math.dist(a[1:], b[1:]) for a, b in zip(vertices, vertices[1:])]
                # Even steps: a jump across the map would be hundreds of times a step.
                self.assertLess(max(steps), 3 * statistics.median(steps))
                # The equal east and north steps of the far-north course come out at 45 degrees.
                if name == "far-north":
                    (_, x0, y0), (_, x1, y1) = vertices[0], vertices[-1]
                    self.assertAlmostEqual(abs(y1 - y0) / abs(x1 - x0), 1.0, delta=0.02)


# ------------------------------------------------------------------------------------------
# Pages with nothing to show
# ------------------------------------------------------------------------------------------

class EmptyPages(PageCase):

    def setUp(self):
        self.space = Workspace()

    def tearDown(self):
        self.space.remove()

    def test_log_without_fixes_gives_a_page_that_says_so(self):
        log = self.space.trip / "nofix.nmea"
        log.write_bytes(b"$GPGGA,003000,,,,,0,00,,,M,,M,,*66\r\n$GPTXT,01,01,02,searching*0C\r\n")
        self.open_page(self.space.convert("nofix.nmea"))
        self.assertEqual(self.body_number("points"), 0)
        self.assertEqual(self.body_number("route-vertices"), 0)
        self.assertFalse(self.js("document.getElementById('map-empty').classList.contains('hidden')"))
        self.assertFalse(self.js("document.getElementById('profiles-empty').classList.contains('hidden')"))
        self.assertEqual(self.js("document.querySelectorAll('#photo-grid li').length"), 0)
        self.assertEqual(self.js("document.getElementById('points-count').textContent"), "0")

    def test_single_fix_without_photos(self):
        trip_maker.write_log(self.space.trip / "one.nmea", START, 1, [(35.0, 139.0, 10.0)])
        self.open_page(self.space.convert("one.nmea"))
        self.assertEqual(self.body_number("points"), 1)
        self.assertEqual(self.body_number("route-vertices"), 1)
        self.assertEqual(self.body_number("photo-markers"), 0)
        # The photo list is empty, so the grid shows its note through CSS alone.
        self.assertEqual(self.js("getComputedStyle(document.getElementById('photo-grid'), '::before').content"),
                         '"この記録の間に撮影された写真はありません。"')


class PhotoFolders(PageCase):

    def test_photos_of_a_card_folder_load_through_their_paths(self):
        space = Workspace()
        try:
            trip_maker.write_log(space.trip / "walk.nmea", START, 5, trip_maker.hill_walk(ORIGIN, 100))
            card = space.root / "card #1"
            space.add_photo("IMG_0002.JPG", "lake", at_step(30), card / "DCIM" / "100TEST")
            space.add_photo("IMG_0001.JPG", "torii", at_step(10), card / "DCIM" / "101TEST")
            self.open_page(space.convert("walk.nmea", "--photos", str(card)))
            self.js("Promise.all([...document.querySelectorAll('#photo-grid img')].map(i =>"
                    " { i.loading = 'eager'; return i.decode().catch(() => null); }))")
            images = self.js("[...document.querySelectorAll('#photo-grid img')].map(i =>"
                             " [i.getAttribute('src'), i.naturalWidth])")
            self.assertEqual(images, [["../card%20%231/DCIM/101TEST/IMG_0001.JPG", 320],
                                      ["../card%20%231/DCIM/100TEST/IMG_0002.JPG", 320]])
        finally:
            space.remove()


# ------------------------------------------------------------------------------------------
# Names that try to break the page
# ------------------------------------------------------------------------------------------

HOSTILE_PHOTOS = [
    'a"b.jpg',
    "<b>x<\\b>.jpg",
    "IMG#1.jpg",
    "x'y&z.jpg",
    "<img src=x onerror=window.pwned=1>.jpg",
    '"><svg onload=window.pwned=2>.jpg',
    "50%41.jpg",
    "what?.jpg",
    "写真 1.jpg",
    "[filename].jpg",
    "[numphoto] [totaldist].jpg",
]


class HostileNames(BuiltPageCase):
    """Photo names and a log path full of markup, quotes, URL delimiters and placeholders."""

    trip_folder_name = "evil <i>dir<\\i> & 'q' \"w\" #1 %20"
    log_name = "<svg onload=window.pwned=3>trip.nmea"

    @classmethod
    def build_page(cls, space):
        trip_maker.write_log(space.trip / cls.log_name, START, 5, trip_maker.hill_walk(ORIGIN, 300))
        for k, name in enumerate(HOSTILE_PHOTOS):
            space.add_photo(name, ["torii", "lake", "mountain", "forest"][k % 4], at_step(10 + 25 * k))
        return space.convert(cls.log_name)

    def test_no_injected_script_runs(self):
        self.assertIsNone(self.js("window.pwned === undefined ? null : window.pwned"))
        self.assertEqual(self.js("document.querySelectorAll('[onload], [onerror], svg svg').length"), 0)
        # Only the template's own three script blocks exist.
        self.assertEqual(self.js("document.scripts.length"), 3)

    def test_names_read_back_exactly(self):
        self.assertEqual(self.js("document.getElementById('log-name').textContent"), self.log_name)
        self.assertEqual(self.js("document.getElementById('log-path').textContent"),
                         str(self.space.trip / self.log_name))
        names = self.js("[...document.querySelectorAll('#photo-grid li')].map(li =>"
                        " [li.querySelector('img').alt, li.querySelector('.name').textContent])")
        self.assertEqual(names, [[n, n] for n in HOSTILE_PHOTOS])

    def test_every_photo_loads_through_its_link(self):
        self.js("Promise.all([...document.querySelectorAll('#photo-grid img')].map(i =>"
                " { i.loading = 'eager'; return i.decode().catch(() => null); }))")
        widths = self.js("[...document.querySelectorAll('#photo-grid img')].map(i => i.naturalWidth)")
        self.assertEqual(widths, [320] * len(HOSTILE_PHOTOS))
        self.assertEqual(self.body_number("photo-markers"), len(HOSTILE_PHOTOS))

    def test_large_view_of_a_hostile_name(self):
        x, y = self.centre_of("#photo-grid li:nth-child(6) button")
        self.browser.click(x, y)
        self.browser.wait_for("document.getElementById('viewer-image').complete &&"
                              " document.getElementById('viewer-image').naturalWidth > 0")
        self.assertEqual(self.js("document.getElementById('viewer-name').textContent"), "6. " + HOSTILE_PHOTOS[5])
        self.assertIsNone(self.js("window.pwned === undefined ? null : window.pwned"))
        self.save_screenshot("page-hostile.png", 1400, from_top=False)


# ------------------------------------------------------------------------------------------
# The bundled sample
# ------------------------------------------------------------------------------------------

class ExampleTrip(PageCase):

    def test_bundled_sample_converts_into_a_working_page(self):
        examples = pathlib.Path(os.environ.get("ROUTELET_EXAMPLES", "examples"))
        logs = sorted(examples.glob("*.log"))
        if not logs:
            self.skipTest("no bundled sample")
        space = Workspace()
        try:
            for item in examples.iterdir():
                if item.suffix.lower() in (".log", ".jpg"):
                    shutil.copy2(item, space.trip / item.name)
            page = space.convert(logs[0].name)
            self.open_page(page)
            photos = int(self.js("document.getElementById('photo-count').textContent"))
            self.assertGreater(photos, 0)
            self.assertEqual(self.body_number("photo-markers"), photos)
            self.assertEqual(self.js("document.querySelectorAll('#photo-grid li').length"), photos)
            self.assertGreater(self.body_number("route-vertices"), 10)
            x, y = self.centre_of("#photo-grid li:first-child button")
            self.browser.click(x, y)
            self.browser.wait_for("document.getElementById('viewer-image').complete &&"
                                  " document.getElementById('viewer-image').naturalWidth > 0")
            self.browser.send("Input.dispatchKeyEvent", {"type": "keyDown", "key": "Escape",
                                                         "code": "Escape", "windowsVirtualKeyCode": 27})
            self.browser.wait_for("document.getElementById('viewer').classList.contains('hidden')")
            self.assert_no_script_error()
            self.save_screenshot("page-example.png")
        finally:
            space.remove()


# ------------------------------------------------------------------------------------------
# A week of fixes
# ------------------------------------------------------------------------------------------

class LargeTrack(PageCase):
    """200,000 fixes, one a second. The drawing must stay within what the screen shows; how
    long it takes is measured by bench/page, not asserted here."""

    FIXES = 200000

    def test_large_track_draws_a_decimated_route(self):
        space = Workspace()
        try:
            trip_maker.write_log(space.trip / "week.nmea", START, 1, trip_maker.hill_walk(ORIGIN, self.FIXES, 1))
            self.open_page(space.convert("week.nmea"))
            self.assertEqual(self.body_number("points"), self.FIXES)
            vertices = self.route_vertices()
            self.assertLess(len(vertices), self.FIXES // 10)
            self.assert_spacing_at_least_one_pixel(vertices)
            for chart in ("altitude-chart", "speed-chart"):
                width = self.js(f"document.getElementById('{chart}').clientWidth")
                self.assertLessEqual(int(self.js(f"document.getElementById('{chart}').getAttribute('data-vertices')")),
                                     2 * width)
            print(f"200,000 points drawn {self.body_number('drawn-ms')} ms after the page began loading",
                  file=sys.stderr)
        finally:
            space.remove()


if __name__ == "__main__":
    if CHROMIUM is None:
        print("SKIPPED: Chromium is not installed (Debian package chromium); no page was opened.")
        sys.exit(SKIPPED)
    for name in ("ROUTELET_PROGRAM", "ROUTELET_TEMPLATE"):
        if name not in os.environ:
            print(f"{name} is not set")
            sys.exit(2)
    unittest.main(verbosity=2)
