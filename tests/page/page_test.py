"""Pages made by the built program with the source tree's template.dat, opened in one headless Chromium.
No network: the test answers the browser's http(s) requests (map tiles it draws, a site it serves) or
fails them. Exits 77 (skipped) where Chromium is missing. Environment: ROUTELET_PROGRAM, ROUTELET_TEMPLATE,
ROUTELET_PAGE_DATA (tests/data/page), ROUTELET_EXAMPLES (examples/), ROUTELET_SCREENSHOTS (the sample's)."""

import datetime
import itertools
import math
import os
import pathlib
import re
import shutil
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
DATA = "document.body.dataset."
# The route's path data, its pieces joined (a piece that continues the one before repeats its last vertex).
ROUTE = ("[...document.querySelectorAll('#route-line path')].map(p => p.hasAttribute('data-continues') ?"
         " p.getAttribute('d').replace(/^M[^ML]*/, '') : p.getAttribute('d')).join('')")
# In the next frame: how far (px) the route's first vertex, as shown (its layer's transform applied), lies from the start marker.
START_OFF_ROUTE = ("new Promise(r => requestAnimationFrame(() => r((([x, y], m) => (p => Math.hypot(p.x - m.e, p.y - m.f))"
                   "(new DOMMatrix(getComputedStyle(document.getElementById('map-route')).transform).transformPoint({x, y})))"
                   "(document.querySelector('#route-line path').getAttribute('d').match(/[\\d.-]+/g).map(Number),"
                   " document.querySelector('#map-ends g:last-child').transform.baseVal[0].matrix))))")
VIEWER_SHOWN = "(v => !v.classList.contains('hidden') && v.querySelector('img').naturalWidth)(document.getElementById('viewer'))"
TILE = re.compile(r"https://(cyberjapandata\.gsi\.go\.jp/xyz/std|tile\.openstreetmap\.org)/(\d+)/(\d+)/(\d+)\.png")
SITE = "http://trip.test/"
TILES_SETTLED = "(n => n && eval(document.body.dataset.tiles.replace('/', '+')) >= n)(document.querySelectorAll('#map-tiles img').length)"
# What a wait for the tiles found: the tiles, the counters, the status line, the button, the tiles still loading.
TILES_STATE = ("({tiles: document.querySelectorAll('#map-tiles img').length, counted: document.body.dataset.tiles,"
               " status: document.getElementById('map-status').textContent, pressed: document.getElementById('basemap').ariaPressed,"
               " loading: [...document.querySelectorAll('#map-tiles img')].filter(i => !i.complete).map(i => i.src),"
               " address: location.href, ready: document.body.dataset.ready})")
browser = root = None


def world_pixel(lat, lng, z):  # the Web Mercator pixel of a position at zoom level z
    sine, size = math.sin(math.radians(lat)), 256 * 2 ** z
    return (lng + 180) / 360 * size, (0.5 - math.log((1 + sine) / (1 - sine)) / (4 * math.pi)) * size


class Server:
    """Answers the browser: the files of `site` under SITE; map tiles (listed in `tiles`) unless `fail` is set; nothing else."""

    fail, site, tiles = False, None, []

    def __call__(self, request):
        url, path = request["url"], self.site and self.site / request["url"][len(SITE):]
        if path and url.startswith(SITE) and path.is_file():
            return 200, "text/html" if path.suffix == ".html" else "image/jpeg", path.read_bytes()
        tile = TILE.fullmatch(url)
        if not tile or self.fail:
            return None
        self.tiles.append((tile[1], *map(int, tile.groups()[1:]), request["headers"].get("Referer")))
        return 200, "image/svg+xml", b'<svg xmlns="http://www.w3.org/2000/svg" width="256" height="256"><rect width="256" height="256" fill="#eef2f6" stroke="#c8d0d8"/></svg>'


server = Server()


def setUpModule():
    global browser, root
    root = pathlib.Path(tempfile.mkdtemp(prefix="routelet-page-"))
    shutil.copy2(os.environ["ROUTELET_PROGRAM"], root / "routelet")
    for module in pathlib.Path(os.environ["ROUTELET_PROGRAM"]).parent.glob("routelet-*.so"):  # its modules go with it
        shutil.copy2(module, root)
    shutil.copy2(os.environ["ROUTELET_TEMPLATE"], root / "template.dat")
    if os.environ.get("ROUTELET_ENGLISH_TEMPLATE"):
        shutil.copy2(os.environ["ROUTELET_ENGLISH_TEMPLATE"], root / "template.en.dat")
    unittest.addModuleCleanup(shutil.rmtree, root, ignore_errors=True)
    browser = Browser(find_chromium(), 1280, 900, server)
    unittest.addModuleCleanup(browser.close)


def make_page(log_name, positions, step=5, photos=(), folder="trip", copy=(), options=(), next_days=(), lang="C.UTF-8"):
    """Converts a log of `positions` (see trip_maker.write_log) in a fresh trip folder, with the program and the template
    under test, with a log of each of `next_days` (positions) a day after the one before; returns the page. `photos`: (path from the trip folder, picture, seconds after START or None: no Exif)."""
    trip = pathlib.Path(tempfile.mkdtemp(dir=root)) / folder
    trip.mkdir()
    for path in copy:
        shutil.copy2(path, trip)
    if positions is not None:
        trip_maker.write_log(trip / log_name, START, step, positions)
    logs = [trip / log_name, *(trip / f"day{day}.nmea" for day in range(2, len(next_days) + 2))]
    for day, (log, later) in enumerate(zip(logs[1:], next_days), 1):
        trip_maker.write_log(log, START + datetime.timedelta(days=day), step, later)
    for name, picture, seconds in photos:
        jpeg = (pathlib.Path(os.environ.get("ROUTELET_PAGE_DATA", "tests/data/page")) / f"{picture}.jpg").read_bytes()
        (trip / name).parent.mkdir(parents=True, exist_ok=True)
        # The program takes the camera to be set to Japan time.
        (trip / name).write_bytes(jpeg if seconds is None else trip_maker.jpeg_with_date(jpeg, START + datetime.timedelta(hours=9, seconds=seconds)))
    run = subprocess.run([str(root / "routelet"), "--console", *options, *map(str, logs)], cwd=trip, capture_output=True,
                         env=dict(os.environ, TZ="Asia/Tokyo", LANG=lang), stdin=subprocess.DEVNULL, timeout=120)
    assert run.returncode == 0, f"routelet failed ({run.returncode}): {run.stderr.decode(errors='replace')}"
    return (trip / log_name).with_suffix(".html")


def js(expression):  # its value in the page
    return browser.evaluate(expression)


def shown(*selectors):  # a script expression: the text of the first element each selector finds
    return f"{list(selectors)!r}.map(s => document.querySelector(s).textContent)"


def every(selector, what="e.textContent"):  # a script expression: `what` of each element e the selector finds
    return f"[...document.querySelectorAll({selector!r})].map(e => {what})"


def rect(selector):  # left, top, width and height in the viewport of the first element the selector finds
    return js(f"(r => [r.left, r.top, r.width, r.height])(document.querySelector({selector!r}).getBoundingClientRect())")


def centre(selector):  # scrolls the element into view; its centre in the viewport
    return js(f"(e => (e.scrollIntoView({{block: 'center'}}), (r => [r.left + r.width / 2, r.top + r.height / 2])"
              f"(e.getBoundingClientRect())))(document.querySelector({selector!r}))")


def touch(kind, *points):
    browser.input("Touch", kind, touchPoints=[{"x": x, "y": y, "id": finger} for finger, (x, y) in enumerate(points)])


class PageCase(unittest.TestCase):

    def open(self, page, tiles=False):
        del browser.exceptions[:], browser.console_errors[:]
        browser.open(page if isinstance(page, str) else page.as_uri())
        browser.wait_for(DATA + "ready === '1' || document.documentElement.dataset.errors")
        if tiles:
            browser.wait_for(TILES_SETTLED, explain=TILES_STATE)
        self.assert_clean(tiles)

    def assert_clean(self, tiles=False):
        self.assertEqual(browser.exceptions + browser.console_errors + js("window.routeletErrors"), [], "script errors")
        self.assertEqual([u for u in browser.requests if not u.startswith(("file:", "data:", SITE)) and not (tiles and TILE.fullmatch(u))],
                         [], "the page asks for its own files only, and for map tiles once the map was asked for")

    def map_on(self):
        self.addCleanup(js, "localStorage.clear()")
        browser.click(*centre("#basemap"))
        browser.wait_for(TILES_SETTLED + " || document.getElementById('map-status').textContent", explain=TILES_STATE)
        self.assert_clean(tiles=True)

    def route(self):  # the route's vertices as (command, x, y)
        return [(c, float(x), float(y)) for c, x, y in re.findall(r"([ML])(-?[\d.]+) (-?[\d.]+)", js(ROUTE))]

    def assert_spaced(self, vertices):
        """In a stretch each vertex but the last (always drawn) lies a pixel or more (0.85: to a tenth) from the one before."""
        for i in range(1, len(vertices) - 1):
            if vertices[i][0] == "L" and vertices[i + 1][0] == "L":
                self.assertGreaterEqual(math.dist(vertices[i][1:], vertices[i - 1][1:]), 0.85, f"vertex {i}")

    def close_viewer(self):
        browser.input("Key", "keyDown", key="Escape", code="Escape", windowsVirtualKeyCode=27)
        browser.wait_for("document.getElementById('viewer').classList.contains('hidden')")
        self.assert_clean()


class TripPage(PageCase):
    """A 2-hour walk, a fix every 5 s, in a folder and under a name full of markup, quotes, URL delimiters and placeholders;
    photos named likewise on a card beside it (--photos): three during the walk, one after it, one without a date."""

    FIXES, LOG, CARD = 1440, "<svg onload=window.pwned=3>walk.nmea", "../card #1/DCIM/10"
    # name, picture, seconds after the start, the fix nearest in time (two seconds after a fix is
    # nearer to it, three seconds after nearer to the next); in time order, not in the card's order
    PHOTOS = [(CARD + "1TEST/<img src=x onerror=window.pwned=1>.jpg", "torii", 1002, 200),
              (CARD + "0TEST/\"><svg onload=window.pwned=2> x'y&z #1 50%41 what?.jpg", "mountain", 3200, 640),
              (CARD + "1TEST/写真 [filename] [numphoto] [totaldist] <b>x<\\b>.jpg", "lake", 5003, 1001)]

    @classmethod
    def setUpClass(cls):
        cls.positions = trip_maker.hill_walk(ORIGIN, cls.FIXES)
        cls.page = make_page(cls.LOG, cls.positions, folder="evil <i>dir<\\i> & 'q' \"w\" #1 %20", options=["--photos", "../card #1"],
                             photos=[*[photo[:3] for photo in cls.PHOTOS], (cls.CARD + "0TEST/later.jpg", "forest", 5 * (cls.FIXES + 100)),
                                     (cls.CARD + "0TEST/no-date.jpg", "forest", None)])

    def setUp(self):
        self.open(self.page)
        # Each point's distance (km): the sixth number of its item, a change in hundredths.
        steps = [changes[5] or 0 for changes in packed_changes(js("document.getElementById('track-data').textContent"))]
        self.dists = [total / 100 for total in itertools.accumulate(steps)]

    def test_header_sums_up_names_read_back_and_photos_load_and_open_at_their_fix(self):
        self.assertEqual([js(DATA + "points"), *js(shown("#log-name", "#when", ".totals .num", "#duration", "#photo-count"))],
                         [str(self.FIXES), self.LOG, "2024/05/18 (土) 09:30 \u301c 11:29",
                          f"{self.dists[-1]:.2f}", "2時間0分", "3"])
        self.assertNotIn(str(self.page.parent), self.page.read_text(encoding="utf-8"))  # the log named by its absolute path
        # The head's script, the track, the previews and tiles (both empty here), the segments, and the page's script: no more.
        self.assertEqual(js("[document.scripts.length, document.querySelectorAll('[onload], [onerror], svg svg').length]"), [6, 0])
        js("Promise.all([...document.querySelectorAll('#photo-grid img')].map(i => { i.loading = 'eager'; return i.decode().catch(() => 0); }))")
        self.assertEqual(js(every("#photo-grid li", "[e.querySelector('img').alt, e.querySelector('.name').textContent,"
                                  " e.querySelector('img').naturalWidth, e.querySelector('.where').textContent]")),
                         [[p[0], p[0], 320, f"{self.dists[p[3]]:.2f} km 地点"] for p in self.PHOTOS])
        self.assertEqual(sorted(js(every(".photo-marker", "[e.querySelector('text').textContent, Number(e.dataset.point)]"))),
                         [[str(k + 1), p[3]] for k, p in enumerate(self.PHOTOS)])
        browser.click(*centre("#photo-grid li:nth-child(2) button"))
        browser.wait_for(VIEWER_SHOWN)
        self.assertEqual(js(shown("#viewer-name", ".photo-marker.selected text")), ["2. " + self.PHOTOS[1][0], "2"])
        self.close_viewer()
        self.assertIsNone(js("window.pwned"))

    def test_tiles_come_once_asked_for_lie_under_the_route_or_fail_leaving_grid_and_route(self):
        server.tiles, server.fail = [], True
        self.addCleanup(setattr, server, "fail", False)
        self.map_on()
        self.assertEqual(js("[document.getElementById('map-status').textContent.includes('読み込めません'),"
                            " getComputedStyle(document.querySelector('#map-grid line')).display]"), [True, "inline"])
        self.assertGreater(len(self.route()), 100)
        server.fail = False
        self.open(self.page, tiles=True)  # the choice is remembered: tiles come without a click
        (zoom,) = {z for _, z, *_ in server.tiles}
        xs, ys = [[int(p) // 256 for p in ps] for ps in zip(*(world_pixel(lat, lng, zoom) for lat, lng, _ in self.positions))]
        self.assertLessEqual({(x, y) for x in range(min(xs), max(xs) + 1) for y in range(min(ys), max(ys) + 1)}, {t[2:4] for t in server.tiles})
        self.assertEqual([{source for source, *_ in server.tiles}, *js(shown("#attribution"))],
                         [{"cyberjapandata.gsi.go.jp/xyz/std"}, "出典: 地理院タイル"])
        # The route's first vertex lies on its pixel of the tile that holds it.
        (px, x), (py, y) = [divmod(p, 256)[::-1] for p in world_pixel(*self.positions[0][:2], zoom)]
        (_, vx, vy), tile, map_box = self.route()[0], rect(f'#map-tiles img[src$="/{zoom}/{int(x)}/{int(y)}.png"]'), rect("#map")
        self.assertLess(math.dist((tile[0] + px, tile[1] + py), (map_box[0] + vx, map_box[1] + vy)), 1.5)

    def test_with_a_mouse_hover_shows_a_profile_point_everywhere_wheel_zooms_and_drag_pans(self):
        x, y = centre("#altitude-chart")
        browser.input("Mouse", "mouseMoved", x=x + (58 - 14) / 2, y=y)  # halfway along the plot: margins 58 px left, 14 px right
        browser.wait_for("!document.getElementById('tip').classList.contains('hidden')")
        (tip,) = js(shown("#tip"))
        self.assertRegex(tip, r"^2024/05/18 \d\d:\d\d:\d\d標高 [\d.]+ m速度 [\d.]+ km/h")
        self.assertAlmostEqual(float(re.search(r"距離 ([\d.]+) km", tip).group(1)) / self.dists[-1], 0.5, delta=0.02)
        self.assertEqual(js("['#map-cursor', '#speed-chart .cursor'].map(s => document.querySelector(s).classList.contains('hidden'))"),
                         [False, False])
        # The wheel zooms the map, a drag pans it.
        x, y = centre("#map")
        before = float(js(DATA + "mapScale"))
        browser.input("Mouse", "mouseWheel", x=x, y=y, deltaX=0, deltaY=-500)
        browser.wait_for(f"Number({DATA}mapScale) > {before * 2}")
        self.assert_spaced(self.route())
        d = js(ROUTE)
        for kind, dx, dy in (("mousePressed", 0, 0), ("mouseMoved", 150, 40), ("mouseReleased", 150, 40)):
            browser.input("Mouse", kind, x=x + dx, y=y + dy, button="left", clickCount=int(kind != "mouseMoved"))
        browser.wait_for(f"{ROUTE} !== {d!r}")
        self.assert_clean()

    def test_on_a_phone_one_finger_scrolls_the_page_and_two_move_the_map(self):
        browser.viewport(390, 844, phone=True)
        self.addCleanup(browser.viewport, 1280, 900)
        self.open(self.page)
        (_, top, _, height), footer = rect("#map-box"), rect("#map-footer")
        self.assertTrue(height <= 0.6 * 844 and footer[1] >= top + height, "the map takes 60% at most; scale and legend lie below it")
        self.assertEqual(js("[...document.querySelectorAll('h2 small')].filter(e => e.offsetWidth).map(e => e.textContent.slice(0, 4))"),
                         ["2本の指", "グラフに", "タップで"], "hints of fingers, not of the mouse")
        for target in (".photo-marker:nth-child(2)", "#photo-pop"):  # a tap on a marker shows the photo small, one on that opens it
            touch("touchStart", centre(target))
            touch("touchEnd")
        browser.wait_for(VIEWER_SHOWN)
        self.assertEqual(js(shown("#viewer-name")), ["2. " + self.PHOTOS[1][0]])
        self.close_viewer()

        def swipe(*fingers):  # each finger from (x, y), moved ten times by (dx, dy)
            for k in range(11):
                touch("touchMove" if k else "touchStart", *[(x + k * dx, y + k * dy) for x, y, dx, dy in fingers])
            touch("touchEnd")
        state = f"[scrollY, {DATA}mapScale, {ROUTE}]"
        x, y = centre("#map")
        before = js(state)
        # The scrolling, its fling included, ends once the finger has left.
        js("window.scrollDone = false; addEventListener('touchend', () => addEventListener('scrollend',"
           " () => { scrollDone = true; }, {once: true}), {once: true})")
        swipe((x, y + 100, 0, -20))
        browser.wait_for("scrollDone")
        after = js(state)
        self.assertTrue(after[0] > before[0] + 150 and after[1:] == before[1:], "one finger scrolls the page only")
        x, y = centre("#map")
        scrolled = js("scrollY")
        swipe((x - 30, y, -6, 2), (x + 30, y, 6, 2))
        browser.wait_for(f"Number({DATA}mapScale) > {2 * float(before[1])} && {ROUTE} !== {before[2]!r}")
        self.assertEqual(js("scrollY"), scrolled, "two fingers left the page where it was")
        self.assert_clean()


class Laps(PageCase):
    """Ten laps round a lake, a fix every 5 s: more vertices than the map draws anew in each frame of a gesture."""

    @classmethod
    def setUpClass(cls):
        cls.page = make_page("laps.nmea", [(*trip_maker.offset(ORIGIN, r * math.sin(a), r * math.cos(a)), 10.0)
                                           for k in range(6000) for r, a in [(1 + k / 12000, k / 600 * 2 * math.pi)]])

    def test_the_route_stays_under_its_markers_while_the_wheel_and_a_drag_move_the_map(self):
        self.open(self.page)
        x, y = centre("#map-ends g:last-child")  # the wheel zooms about the start, which stays in view
        before, moved = js(f"[{DATA}mapScale, {ROUTE}]"), []
        for _ in range(4):
            browser.input("Mouse", "mouseWheel", x=x, y=y, deltaX=0, deltaY=-120)
            moved.append(js(f"{START_OFF_ROUTE}.then(off => [off, getComputedStyle(document.getElementById('map-route')).transform])"))
        x, y = centre("#map")
        browser.input("Mouse", "mousePressed", x=x, y=y, button="left", clickCount=1)
        for step in range(1, 6):
            browser.input("Mouse", "mouseMoved", x=x - 9 * step, y=y + 5 * step, button="left", buttons=1)
            moved.append(js(f"{START_OFF_ROUTE}.then(off => [off, getComputedStyle(document.getElementById('map-route')).transform])"))
        browser.input("Mouse", "mouseReleased", x=x - 45, y=y + 25, button="left", clickCount=1)
        self.assertTrue(all(off < 1 for off, _ in moved) and any(t != "none" for _, t in moved), moved)
        # Once the map rests, the route is drawn anew for the view: its layer no longer moved.
        browser.wait_for(f"Number({DATA}mapScale) > {before[0]} && {ROUTE} !== {before[1]!r}"
                         " && getComputedStyle(document.getElementById('map-route')).transform === 'none'")
        self.assertLess(js(START_OFF_ROUTE), 1)
        self.assert_spaced(self.route())


class ThreeDays(PageCase):
    """Three day walks, a kilometre apart, each logged in a file of its own and converted together."""

    @classmethod
    def setUpClass(cls):
        cls.days, origin = [], ORIGIN
        for fixes in (240, 360, 480):
            cls.days.append(trip_maker.hill_walk(origin, fixes))
            origin = trip_maker.offset(cls.days[-1][-1][:2], 0.8, -0.6)
        cls.page = make_page("day1.nmea", cls.days[0], next_days=cls.days[1:])

    def view(self):  # each day's points in the map's pixels, and the map's width and height
        scale, (cx, cy), (_, _, width, height) = float(js(DATA + "mapScale")), map(float, js(DATA + "mapCentre").split()), rect("#map")
        return [[((x / 256 - cx) * scale + width / 2, (y / 256 - cy) * scale + height / 2) for x, y in
                 (world_pixel(lat, lng, 0) for lat, lng, _ in day)] for day in self.days], width, height

    def test_days_break_the_route_and_the_profiles_and_the_picker_shows_each(self):
        self.open(self.page)
        pieces = "(d => (d.match(/M/g) || []).length)"
        profiles = every(".altitude-line, .speed-line", pieces + "(e.getAttribute('d'))")
        self.assertEqual(js(f"[{DATA}segments, {pieces}({ROUTE}), ...{profiles},"
                            f" document.querySelectorAll('#day-picker:not(.hidden) button, .days-table tbody tr, #altitude-chart .day-line').length]"),
                         ["3", 3, 3, 3, 4 + 3 + 2])
        rows = js(every(".days-table tbody tr", "[...e.children].map(c => c.textContent)"))
        self.assertEqual([row[0] for row in rows], ["5/18 (土)", "5/19 (日)", "5/20 (月)"])
        self.assertAlmostEqual(sum(float(row[3]) for row in rows), float(*js(shown(".totals .num"))), delta=0.015)
        folder = pathlib.Path(os.environ.get("ROUTELET_SCREENSHOTS", tempfile.gettempdir()))
        for k in (1, 2, 3, 0):
            browser.click(*centre(f"#day-picker button:nth-child({k + 1})"))
            browser.wait_for(f"{DATA}mapSegment === '{k}'")
            days, width, height = self.view()
            points = [p for day in (days if k == 0 else [days[k - 1]]) for p in day]
            (left, right), (top, bottom) = [(min(c), max(c)) for c in zip(*points)]
            self.assertTrue(left >= 0 and top >= 0 and right <= width and bottom <= height and
                            (right - left > 0.6 * width or bottom - top > 0.6 * height), f"day {k} (0: all) fills the map")
            js("document.getElementById('map-box').scrollIntoView({block: 'start'}); scrollBy(0, -60)")
            (folder / f"three-days-map-{k}.png").write_bytes(browser.screenshot())
        js("document.getElementById('profiles').scrollIntoView({block: 'end'})")
        (folder / "three-days-profiles.png").write_bytes(browser.screenshot())
        self.assert_clean()


def course(lat, lng, east_km, north_km, fixes=300):  # even steps on a straight course, across the 180th meridian too
    return [(la, (lo + 180) % 360 - 180, 5.0)
            for la, lo in (trip_maker.offset((lat, lng), east_km * k, north_km * k) for k in range(fixes))]


def circle_with_gaps():
    """400 points round a 1.5 km circle; 300 fixes standing on one; two at 0, 0 (no position) that break the line."""
    ring = [(*trip_maker.offset(ORIGIN, 1.5 * math.sin(a), 1.5 * math.cos(a)), 20.0)
            for a in (2 * math.pi * k / 400 for k in range(400))]
    return ring[:100] + [(0.0, 0.0, 0.0)] * 2 + ring[100:200] + [ring[199]] * 300 + ring[200:]


def packed_changes(text):
    """Each point of the page's compact track as its seven changes (None for "."): base-32 digits, 32 and
    above followed by more, folded (0, -1, 1, -2 ... as 0, 1, 2, 3 ...)."""
    digits, points = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-_", []
    for item in text.split(";")[:-1]:
        changes, folded = [], 0
        for character in item:
            if character == ".":
                changes.append(None)
                continue
            digit = digits.index(character)
            folded = folded * 32 + digit % 32
            if digit < 32:
                changes.append(-(folded + 1) // 2 if folded % 2 else folded // 2)
                folded = 0
        points.append(changes)
    return points


def known_trip():
    """Fixes 5 s apart, east: 15 min at 12 km/h up from 100 m to 280 m by steps of +4 m and -2 m, 10 min
    still, 15 min at 30 km/h down to 190 m; the first three heights unknown. Climb 180 m, descent 90 m."""
    return [(*trip_maker.offset((35.0, 135.0), (min(k, 180) * 12 + max(k - 300, 0) * 30) * 5 / 3600, 0),
             None if k < 3 else 100 + k - 3 * (k % 2) if k <= 180 else 280 if k <= 300 else 280 - (k - 300) / 2)
            for k in range(481)]


def drawn(points, vertices, breaks):
    return {DATA + "points": str(points), DATA + "routeVertices": str(vertices), f"({ROUTE}.match(/M/g) || []).length": breaks}


class OtherPages(PageCase):
    # name, positions, seconds a fix, the course's heading from east in degrees (its steps then checked even) or None, {expression: value}
    CASES = [
        ("circle", circle_with_gaps, 1, None, {**drawn(702, 400, 2), DATA + "segments": "1",
                                               every("#day-picker, #days", "e.classList.contains('hidden')"): [True, True]}),
        ("south-west", lambda: course(-33.90, -70.70, 0.05, -0.03), 10, math.degrees(math.atan2(-0.03, 0.05)), drawn(300, 300, 1)),
        ("across-180", lambda: course(-17.80, 179.90, 0.08, 0.0), 10, 0.0, drawn(300, 300, 1)),
        ("far-north", lambda: course(69.60, 18.90, 0.04, 0.04), 10, 45.0, drawn(300, 300, 1)),
        ("known totals", known_trip, 5, None, {shown("#moving-time", "#max-speed", "#climb", "#descent", "#max-altitude",
                                                     "#start-time", "#end-time"): ["30分", "30.0", "180", "90", "280", "09:30", "10:10"]}),
        ("one fix, no photo", lambda: [(35.0, 139.0, 10.0)], 1, None, {**drawn(1, 1, 1), every("#photo-grid li"): [],
            "getComputedStyle(document.getElementById('photo-grid'), '::before').content": '"この記録の間に撮影された写真はありません。"'}),
        ("no fix", lambda: [None], 1, None, {**drawn(0, 0, 0), shown("#points-count"): ["0"], every(
            "#map-empty, #profiles-empty", "e.classList.contains('hidden')"): [False, False]}),
        # A week of fixes, one a second: the drawing keeps to what the screen shows, each pixel column of a profile its
        # lowest and its highest value. How long it takes is measured by bench/page.
        ("200,000 fixes", lambda: trip_maker.hill_walk(ORIGIN, 200000, 1), 1, None, {
            DATA + "points": "200000", f"Number({DATA}routeVertices) < 20000": True,
            every("#altitude-chart, #speed-chart", "e.dataset.vertices > 1.5 * e.clientWidth"): [True, True]}),
    ]

    def test_tracks_are_drawn_to_scale_with_points_a_pixel_apart(self):
        for name, positions, step, heading, expected in self.CASES:
            with self.subTest(name):
                self.open(make_page("track.nmea", positions(), step))
                self.assertEqual({e: js(e) for e in expected}, expected)
                vertices = self.route()
                self.assert_spaced(vertices)
                # The profiles draw at most two vertices per pixel column.
                for count, width in js(every("#altitude-chart, #speed-chart", "[Number(e.getAttribute('data-vertices')), e.clientWidth]")):
                    self.assertTrue(0 < count <= 2 * width if vertices else count == 0, (count, width))
                if heading is not None:
                    # Even steps: a jump across the map would be hundreds of times a step.
                    steps = [math.dist(a[1:], b[1:]) for a, b in zip(vertices, vertices[1:])]
                    self.assertLess(max(steps), 3 * sorted(steps)[len(steps) // 2])
                    (_, x0, y0), (_, x1, y1) = vertices[0], vertices[-1]
                    self.assertAlmostEqual(math.degrees(math.atan2(y0 - y1, x1 - x0)), heading, delta=1.5)

    def test_abroad_openstreetmap_comes_only_to_a_page_from_a_web_server(self):
        page = make_page("abroad.nmea", course(-33.90, -70.70, 0.05, -0.03))
        server.site = page.parent
        # A local file sends no Referer, which OpenStreetMap's terms ask for: the page says so instead.
        for url, tiles, texts in ((page.as_uri(), set(), [True, ""]), (SITE + page.name, {("tile.openstreetmap.org", SITE)},
                                                                    [False, "© OpenStreetMap contributors"])):
            server.tiles = []
            self.open(url)
            self.map_on()
            self.assertEqual([{(source, referer) for source, *_, referer in server.tiles}, *js(
                "[document.getElementById('map-status').textContent.includes('OpenStreetMap'), document.getElementById('attribution').textContent]")],
                [tiles, *texts])
            js("localStorage.clear()")

    def test_bundled_sample_converts_into_a_working_page(self):
        examples = pathlib.Path(os.environ.get("ROUTELET_EXAMPLES", "examples"))
        page = make_page(next(examples.glob("*.log")).name, None, copy=examples.glob("*"))
        self.open(page)
        photos = js(every("#photo-grid li"))
        self.assertEqual([*js(shown("#photo-count")), len(photos) > 0, int(js(DATA + "routeVertices")) > 10], [str(len(photos)), True, True])
        # Screenshots with the map on, over the test's tiles, on a desktop and on a phone.
        folder = pathlib.Path(os.environ.get("ROUTELET_SCREENSHOTS", tempfile.gettempdir()))
        self.map_on()
        self.addCleanup(browser.viewport, 1280, 900)
        for name, size in (("desktop", (1280, 900)), ("phone", (390, 844, True))):
            browser.viewport(*size)
            self.open(page, tiles=True)
            js("document.getElementById('map-box').scrollIntoView({block: 'end'}); scrollBy(0, 60)")
            (folder / f"sample-map-{name}.png").write_bytes(browser.screenshot())

    def test_single_file_page_copied_alone_shows_its_photos_and_its_own_tiles(self):
        examples = pathlib.Path(os.environ.get("ROUTELET_EXAMPLES", "examples"))
        log = pathlib.Path(tempfile.mkdtemp(dir=root)) / "tiles.requests"
        tiles = subprocess.Popen([sys.executable, pathlib.Path(__file__).parent.parent / "tiles" / "tile_server.py", "serve", log,
                                  log.with_suffix(".port")], stdout=subprocess.PIPE, text=True)
        self.addCleanup(tiles.wait)
        self.addCleanup(tiles.kill)
        self.addCleanup(tiles.stdout.close)
        port = tiles.stdout.readline().strip()  # once it listens
        os.environ["XDG_CACHE_HOME"] = str(log.parent / "cache")
        self.addCleanup(os.environ.pop, "XDG_CACHE_HOME")
        made = make_page(next(examples.glob("*.log")).name, None, copy=examples.glob("*"), options=(
            "--single-file", f"--tile-source=http://127.0.0.1:{port}/{{z}}/{{x}}/{{y}}.png"))
        page = pathlib.Path(tempfile.mkdtemp(dir=root)) / "sent.html"
        shutil.copy2(made, page)
        self.assertLessEqual(page.stat().st_size, 3 * 1024 * 1024)
        self.open(page)
        js("document.getElementById('photo-grid').scrollIntoView()")
        browser.wait_for(every("#photo-grid img", "e.complete && e.naturalWidth > 0") + ".every(Boolean)")
        self.assertTrue(all(src.startswith("data:image/jpeg;base64,") for src in js(every("#photo-grid img", "e.src"))))
        browser.click(*centre("#photo-grid button"))
        browser.wait_for(VIEWER_SHOWN)
        self.assertTrue(js("document.getElementById('viewer-image').src.startsWith('data:image/jpeg;base64,')"))
        self.close_viewer()
        self.map_on()
        browser.wait_for(TILES_SETTLED)
        self.assertEqual(js(f"[{DATA}tiles.split('/')[1], Number({DATA}tiles.split('/')[0]) > 0]"), ["0", True])
        self.assert_clean()  # every tile from the page itself: no request went out
        js("document.getElementById('map-box').scrollIntoView({block: 'end'}); scrollBy(0, 60)")
        folder = pathlib.Path(os.environ.get("ROUTELET_SCREENSHOTS", tempfile.gettempdir()))
        (folder / "single-file-map.png").write_bytes(browser.screenshot())


class EnglishPage(PageCase):
    """An English-speaking user without a template of their own gets the English shipped template: two days, a photo."""

    def test_texts_dates_and_units_are_english(self):
        if not (root / "template.en.dat").exists():
            self.skipTest("no English template given (ROUTELET_ENGLISH_TEMPLATE)")
        positions = trip_maker.hill_walk(ORIGIN, 720)
        page = make_page("walk.nmea", positions, photos=[("walk.jpg", "torii", 1002)], next_days=[positions], lang="en_US.UTF-8")
        self.open(page)
        self.assertEqual(js("[document.documentElement.lang, ...%s, ...%s]" % (shown("#when", "#duration", "#end-time"),
                                                                            every(".days-table tbody tr td:first-child"))),
                         ["en", "Sat 18 May 2024, 09:30 \u2013 19 May 10:29", "25 h 0 min", "19 May 10:29", "Sat 18 May", "Sun 19 May"])
        self.assertRegex(js(shown(".photo-grid .where"))[0], r"^\d+\.\d\d km along the track$")
        self.assertEqual(re.findall("[\u3040-\u30ff\u4e00-\u9fff]+", js("document.body.innerText")), [], "no Japanese left")
        folder = pathlib.Path(os.environ.get("ROUTELET_SCREENSHOTS", tempfile.gettempdir()))
        (folder / "english-page.png").write_bytes(browser.screenshot())


class HeifPhotoPage(PageCase):
    """A phone's HEIF photo (made with heif-enc and exiftool, tests/data/photos/heif) beside a short walk: the page shows
    the program's JPEG preview, decoded, with a marker where the photo's own GPS tags put it and a link to the file."""

    def test_preview_decodes_and_the_viewer_links_the_original(self):
        heif = pathlib.Path(os.environ.get("ROUTELET_PAGE_DATA", "tests/data/page")).parent / "photos/heif/phone.heic"
        taken = (START + datetime.timedelta(hours=9, seconds=60)).strftime("%Y:%m:%d %H:%M:%S").encode()
        trip = pathlib.Path(tempfile.mkdtemp(dir=root))
        (trip / "phone.HEIC").write_bytes(heif.read_bytes().replace(b"2011:01:01 00:01:30", taken))
        page = make_page("walk.log", trip_maker.hill_walk(ORIGIN, 60), copy=[trip / "phone.HEIC"])
        if "data:image/jpeg" not in page.read_text(encoding="utf-8"):
            self.skipTest("this build reads no HEIF photos")
        self.open(page)
        js("document.querySelector('#photo-grid img').decode().catch(() => 0)")
        self.assertEqual(js(every("#photo-grid img", "e.naturalWidth")), [96])
        self.assertEqual(js(DATA + "photoMarkers"), "1")
        browser.click(*centre("#photo-grid li button"))
        browser.wait_for(VIEWER_SHOWN)
        self.assertEqual(js("document.getElementById('viewer-name').getAttribute('href')"), "phone.HEIC")
        self.close_viewer()


if __name__ == "__main__":
    if find_chromium() is None:
        print("SKIPPED: Chromium is not installed (Debian package chromium); no page was opened.")
        sys.exit(77)
    unittest.main(verbosity=2)
