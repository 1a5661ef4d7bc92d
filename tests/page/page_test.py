"""Pages made by the built program with the source tree's template.dat, opened in one headless
Chromium: what the page's script drew, read through the DevTools protocol. No network is used:
the browser's http and https requests are answered by the test (map tiles it makes) or failed.

Run as `page_test.py [unittest arguments]`; exits 77 (skipped) where Chromium is missing.
Environment: ROUTELET_PROGRAM, ROUTELET_TEMPLATE, ROUTELET_PAGE_DATA (tests/data/page),
ROUTELET_EXAMPLES (examples/), ROUTELET_SCREENSHOTS (where the sample's screenshots go).
"""

import datetime
import json
import math
import os
import pathlib
import re
import shutil
import statistics
import struct
import subprocess
import sys
import tempfile
import unittest
import zlib

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
TILE = re.compile(r"https://(cyberjapandata\.gsi\.go\.jp/xyz/std|tile\.openstreetmap\.org)/(\d+)/(\d+)/(\d+)\.png")
SITE = "http://trip.test/"
TILES_SETTLED = "(n => n && eval(document.body.dataset.tiles.replace('/', '+')) >= n)(document.querySelectorAll('#map-tiles img').length)"
STILL = "new Promise(r => { var last = -1; (function f() { if (scrollY === last) r(true); else { last = scrollY; setTimeout(f, 150); } })(); })"
browser = None


def png(colour, red=()):
    """A 256 x 256 PNG of one colour with the pixels (x, y) in `red` red."""
    rows = [bytearray(b"\0" + bytes(colour) * 256) for _ in range(256)]
    for x, y in ((x, y) for x, y in red if 0 <= x < 256 and 0 <= y < 256):
        rows[y][1 + 3 * x:4 + 3 * x] = b"\xff\0\0"
    chunks = [(b"IHDR", struct.pack(">IIBBBBB", 256, 256, 8, 2, 0, 0, 0)), (b"IDAT", zlib.compress(b"".join(rows))), (b"IEND", b"")]
    return b"\x89PNG\r\n\x1a\n" + b"".join(struct.pack(">I", len(d)) + k + d + struct.pack(">I", zlib.crc32(k + d)) for k, d in chunks)


def colour_of(one_pixel_png):
    """The colour of a one-pixel PNG (whatever the row's filter, a lone pixel is kept as it is)."""
    data, at = b"", 8
    while at < len(one_pixel_png):
        length, kind = struct.unpack(">I4s", one_pixel_png[at:at + 8])
        data, at = data + one_pixel_png[at + 8:at + 8 + length] * (kind == b"IDAT"), at + 12 + length
    return tuple(zlib.decompress(data)[1:4])


def world_pixel(lat, lng, z):
    """The Web Mercator pixel of a position at zoom level z."""
    sine, size = math.sin(math.radians(lat)), 256 * 2 ** z
    return (lng + 180) / 360 * size, (0.5 - math.log((1 + sine) / (1 - sine)) / (4 * math.pi)) * size


class Server:
    """Answers the browser: the files in `site` under SITE; map tiles (chessboard colours, the 3 x 3
    pixels round `mark` red; listed in `tiles`) unless `fail` is set; nothing else."""

    mark, fail, site, tiles = None, False, None, []

    def __call__(self, request):
        url = request["url"]
        path = self.site and self.site / url[len(SITE):]
        if path and url.startswith(SITE) and path.is_file():
            return 200, "text/html" if path.suffix == ".html" else "image/jpeg", path.read_bytes()
        tile = TILE.fullmatch(url)
        if not tile or self.fail:
            return None
        z, x, y = map(int, tile.groups()[1:])
        self.tiles.append((tile[1], z, x, y, request["headers"].get("Referer")))
        px, py = world_pixel(*self.mark, z) if self.mark else (-9, -9)
        red = [(int(px) - 256 * x + dx, int(py) - 256 * y + dy) for dx in (-1, 0, 1) for dy in (-1, 0, 1)]
        return 200, "image/png", png((222, 230, 240) if (x + y) % 2 else (240, 232, 222), red)


server = Server()


def setUpModule():
    global browser
    browser = Browser(find_chromium(), 1280, 900)
    browser.serve(server)


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

    def open(self, page, tiles=False):
        for found in (browser.exceptions, browser.console_errors, browser.requests):
            found.clear()
        browser.open(page if isinstance(page, str) else page.as_uri())
        browser.wait_for(DATA + "ready === '1' || document.documentElement.dataset.errors")
        if tiles:
            browser.wait_for(TILES_SETTLED)
        self.assert_clean(tiles)

    def assert_clean(self, tiles=False):
        self.assertEqual(browser.exceptions + browser.console_errors, [], "script errors")
        self.assertEqual(js("window.routeletErrors"), [], "errors caught by the page")
        # The page is self-contained: nothing but its own files is requested, and map tiles
        # only once the map was asked for.
        self.assertEqual([u for u in browser.requests if not u.startswith(("file:", "data:", SITE))
                          and not (tiles and TILE.fullmatch(u))], [])

    def map_on(self):
        self.addCleanup(js, "localStorage.clear()")
        browser.click(*self.centre("#basemap"))
        browser.wait_for(TILES_SETTLED + " || document.getElementById('map-status').textContent")
        self.assert_clean(tiles=True)

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

    def test_on_a_phone_one_finger_scrolls_the_page_and_two_move_the_map(self):
        browser.viewport(390, 844, phone=True)
        self.addCleanup(browser.viewport, 1280, 900)
        self.open(self.page)
        height, gap = js("(r => [r.height, document.getElementById('map-footer').getBoundingClientRect().top - r.bottom])"
                         "(document.getElementById('map-box').getBoundingClientRect())")
        self.assertTrue(height <= 0.6 * 844 and gap >= 0, "the map takes 60% at most; scale and legend lie below it")
        self.assertEqual(js("[...document.querySelectorAll('h2 small')].filter(e => e.offsetWidth).map(e => e.textContent.slice(0, 4))"),
                         ["2本の指", "グラフに", "タップで"], "hints of fingers, not of the mouse")
        # A tap on a photo's marker shows it small; a tap on that opens it.
        for target in (".photo-marker:nth-child(2)", "#photo-pop"):
            browser.touch("touchStart", self.centre(target))
            browser.touch("touchEnd")
        browser.wait_for(VIEWER_LOADED)
        self.assertEqual(js("document.querySelector('#photo-pop img').getAttribute('src')"), "mountain.jpg")
        self.close_viewer()

        def gesture(*fingers):  # each finger from (x, y), moved ten times by (dx, dy)
            browser.touch("touchStart", *[(x, y) for x, y, _, _ in fingers])
            for k in range(1, 11):
                browser.touch("touchMove", *[(x + k * dx, y + k * dy) for x, y, dx, dy in fingers])
            browser.touch("touchEnd")
            js(STILL)
        state = f"[scrollY, {DATA}mapScale, {ROUTE}]"
        x, y = self.centre("#map")
        before = js(state)
        gesture((x, y + 100, 0, -20))
        after = js(state)
        self.assertTrue(after[0] > before[0] + 150 and after[1:] == before[1:], "one finger scrolls the page only")
        x, y = js("(r => [r.left + r.width / 2, r.top + r.height / 2])(document.getElementById('map').getBoundingClientRect())")
        gesture((x - 30, y, -6, 2), (x + 30, y, 6, 2))
        browser.wait_for(f"Number({DATA}mapScale) > {2 * float(before[1])} && {ROUTE} !== {json.dumps(before[2])}")
        self.assertEqual(js("scrollY"), after[0], "two fingers left the page where it was")
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


class BackgroundMap(PageCase):
    """The background map: asked for, remembered, under the route's pixels, or done without."""

    @classmethod
    def setUpClass(cls):
        cls.positions = trip_maker.hill_walk(ORIGIN, 300)
        cls.page = make_page(cls.addClassCleanup, "walk.nmea", cls.positions)

    def setUp(self):
        server.tiles, server.mark = [], self.positions[0][:2]

    def test_tiles_come_when_asked_for_cover_the_track_and_lie_under_the_route(self):
        self.open(self.page)
        self.map_on()
        (zoom,) = {z for _, z, *_ in server.tiles}
        corners = [world_pixel(lat, lng, zoom) for lat, lng, _ in self.positions]
        (left, top), (right, bottom) = [[int(f(c[k] for c in corners)) // 256 for k in (0, 1)] for f in (min, max)]
        self.assertLessEqual({(x, y) for x in range(left, right + 1) for y in range(top, bottom + 1)},
                             {(x, y) for _, _, x, y, _ in server.tiles})
        self.assertEqual([{source for source, *_ in server.tiles}, js("document.getElementById('attribution').textContent")],
                         [{"cyberjapandata.gsi.go.jp/xyz/std"}, "出典: 地理院タイル"])
        # The route's first vertex lies on the tile's red pixels (seen with the route hidden).
        _, vx, vy = self.route()[0]
        x, y = js("(s => { s.style.visibility = 'hidden'; var r = s.getBoundingClientRect();"
                  " return [r.left + scrollX, r.top + scrollY]; })(document.getElementById('map'))")
        self.assertEqual([colour_of(browser.screenshot((x + vx + d, y + vy + d, 1, 1))) == (255, 0, 0) for d in (0, 6)],
                         [True, False])
        # The next page remembers the choice: it shows its tiles without a click.
        self.open(self.page, tiles=True)

    def test_when_every_tile_fails_the_grid_and_the_route_stay(self):
        server.fail = True
        self.addCleanup(setattr, server, "fail", False)
        self.open(self.page)
        self.map_on()
        self.assertEqual(js("['読み込めません', '#map-grid line'].map(s => document.getElementById('map-status').textContent"
                            ".includes(s) || getComputedStyle(document.querySelector(s)).display)"), [True, "inline"])
        self.assertGreater(len(self.route()), 100)

    def test_abroad_openstreetmap_comes_only_to_a_page_from_a_web_server(self):
        page = make_page(self.addCleanup, "abroad.nmea", course(-33.90, -70.70, 0.05, -0.03))
        self.open(page)
        self.map_on()
        # A local file sends no Referer, which OpenStreetMap's terms ask for.
        self.assertEqual([server.tiles, "OpenStreetMap" in js("document.getElementById('map-status').textContent")], [[], True])
        js("localStorage.clear()")
        server.site = page.parent
        self.open(SITE + page.name)
        self.map_on()
        self.assertEqual({(source, referer) for source, *_, referer in server.tiles}, {("tile.openstreetmap.org", SITE)})
        self.assertIn("OpenStreetMap contributors", js("document.getElementById('attribution').textContent"))


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


def known_trip():
    """Fixes 5 s apart, east: 15 min at 12 km/h up from 100 m to 280 m by steps of +4 m and -2 m, 10 min
    still, 15 min at 30 km/h down to 190 m; the first three heights unknown. Climb 180 m, descent 90 m."""
    return [(*trip_maker.offset((35.0, 135.0), (min(k, 180) * 12 + max(k - 300, 0) * 30) * 5 / 3600, 0),
             None if k < 3 else 100 + k - 3 * (k % 2) if k <= 180 else 280 if k <= 300 else 280 - (k - 300) / 2)
            for k in range(481)]


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

    def test_header_sums_up_moving_time_top_speed_climb_and_descent(self):
        self.open(make_page(self.addCleanup, "known.nmea", known_trip()))
        self.assertEqual(js("['#moving-time', '#max-speed', '#climb', '#descent', '#max-altitude', '#start-time', '#end-time']"
                            ".map(s => document.querySelector(s).textContent)"),
                         ["30分", "30.0", "180", "90", "280", "09:30", "10:10"])

    def test_bundled_sample_converts_into_a_working_page(self):
        examples = pathlib.Path(os.environ.get("ROUTELET_EXAMPLES", "examples"))
        logs = sorted(examples.glob("*.log"))
        self.assertTrue(logs, f"no sample log in {examples}")
        page = make_page(self.addCleanup, logs[0].name, None, copy=[*logs, *examples.glob("*.jpg")])
        self.open(page)
        photos = js("document.getElementById('photo-count').textContent")
        self.assertGreater(int(photos), 0)
        self.assertEqual([js(DATA + "photoMarkers"), str(js("document.querySelectorAll('#photo-grid li').length"))],
                         [photos, photos])
        self.assertGreater(int(js(DATA + "routeVertices")), 10)
        self.open_viewer(1)
        self.close_viewer()
        # Screenshots with the map on, over the test's tiles, on a desktop and on a phone.
        folder = pathlib.Path(os.environ.get("ROUTELET_SCREENSHOTS", tempfile.gettempdir()))
        self.map_on()
        self.addCleanup(browser.viewport, 1280, 900)
        for name, size in (("desktop", (1280, 900)), ("phone", (390, 844, True))):
            browser.viewport(*size)
            self.open(page, tiles=True)
            js("document.getElementById('map-box').scrollIntoView({block: 'end'}); scrollBy(0, 60)")
            (folder / f"sample-map-{name}.png").write_bytes(browser.screenshot())


if __name__ == "__main__":
    if find_chromium() is None:
        print("SKIPPED: Chromium is not installed (Debian package chromium); no page was opened.")
        sys.exit(77)
    unittest.main(verbosity=2)
