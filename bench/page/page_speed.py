#!/usr/bin/env python3
"""How fast the shipped page opens, answers a click and moves its map on a long track in Chromium.

Generates a 1 Hz log (a week is 600,000 fixes) with the benchmarks' make_nmea_log program, converts
it with the built program and a template (the source tree's template.dat by default), opens the page
several times in headless Chromium and reports, as the median of the runs:
- shown: from the start of navigation to the moment the page's script has drawn the map, the totals
  and the profiles (the page writes it in data-drawn-ms);
- answered: from the start of navigation to the frame that shows the answer to a real mouse click on
  the map's zoom button, the click given as soon as the browser has loaded the page;
and, once, the frame times (requestAnimationFrame deltas) while the wheel zooms the map in step by
step to street level and out again and the mouse drags it about, the worst and the 95th percentile,
and the slowest frame of the second after the gesture (the page may draw the map anew once it rests).
Exits 1 when a median exceeds its budget or the slowest frame of the gesture exceeds the frame budget.

    page_speed.py --program build/routelet --log-maker build/bench/make_nmea_log
                  [--fixes 600000] [--runs 5] [--budget-ms 1000] [--frame-budget-ms 50] [--keep DIR]
"""

import argparse
import os
import pathlib
import shutil
import statistics
import subprocess
import sys
import tempfile

here = pathlib.Path(__file__).resolve().parent
root = here.parent.parent
# The helper modules are imported from the source tree, which stays free of bytecode files.
sys.dont_write_bytecode = True
sys.path.insert(0, str(root / "tests" / "page"))
from chromium_session import Browser, find_chromium  # noqa: E402

# Put into every page before its own scripts: notes when the first click has been answered, that is
# at the end of the first animation frame after the page's own click handlers ran (the map draws
# itself in that frame), and records frame deltas while window.frameLog is an array.
HOOK = """
window.clickAnswered = 0;
window.addEventListener("click", function () {
  if (!window.clickAnswered) requestAnimationFrame(function () { window.clickAnswered = performance.now(); });
});
window.startFrameLog = function () {
  window.frameLog = [];
  var last = performance.now();
  (function frame(now) {
    if (!window.frameLog) return;
    window.frameLog.push(now - last);
    last = now;
    requestAnimationFrame(frame);
  })(last);
};
"""


def centre_of(browser, selector):
    box = browser.evaluate(f"(b => [b.left + b.width / 2, b.top + b.height / 2])"
                           f"(document.querySelector({selector!r}).getBoundingClientRect())")
    return box[0], box[1]


def open_and_click(browser, page, button):
    """Opens the page, clicks the zoom button once the page has loaded; (shown ms, answered ms)."""
    browser.open(page.as_uri(), timeout=120)
    browser.click(*button)
    browser.wait_for("document.body.getAttribute('data-ready') === '1' && window.clickAnswered > 0", timeout=120)
    return (int(browser.evaluate("document.body.getAttribute('data-drawn-ms')")),
            round(browser.evaluate("window.clickAnswered")))


def frame_times(browser):
    """Frame deltas (ms) while the wheel zooms the map in and out and the mouse drags it; the slowest
    frame (ms) of the second after."""
    x, y = centre_of(browser, "#map")
    # The frames that show the last click's answer are the click's, not the gesture's: the gesture
    # begins once two more frames have gone by.
    browser.evaluate("new Promise(r => requestAnimationFrame(() => requestAnimationFrame(() => r(0))))")
    browser.evaluate("window.startFrameLog()")
    zoom_steps = 24  # each wheel step zooms by e^0.24: 24 steps are about 300 times closer
    for delta in [-100] * zoom_steps + [100] * (zoom_steps // 2):
        browser.input("Mouse", "mouseWheel", x=x, y=y, deltaX=0, deltaY=delta)
        browser.evaluate("new Promise(r => requestAnimationFrame(() => r(0)))")
    browser.input("Mouse", "mouseMoved", x=x, y=y)
    browser.input("Mouse", "mousePressed", x=x, y=y, button="left", clickCount=1)
    for step in range(40):
        browser.input("Mouse", "mouseMoved", x=x + 6 * step, y=y + 3 * step, button="left", buttons=1)
        browser.evaluate("new Promise(r => requestAnimationFrame(() => r(0)))")
    browser.input("Mouse", "mouseReleased", x=x + 240, y=y + 120, button="left", clickCount=1)
    for delta in [100] * (zoom_steps // 2):
        browser.input("Mouse", "mouseWheel", x=x, y=y, deltaX=0, deltaY=delta)
        browser.evaluate("new Promise(r => requestAnimationFrame(() => r(0)))")
    log = browser.evaluate("(() => { var log = window.frameLog.slice(1); window.frameLog = null; return log; })()")
    browser.evaluate("window.startFrameLog()")
    browser.evaluate("new Promise(r => setTimeout(() => r(0), 1000))")
    return log, max(browser.evaluate("(() => { var log = window.frameLog.slice(1); window.frameLog = null; return log; })()"))


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--program", required=True)
    parser.add_argument("--template", default=str(root / "template.dat"))
    parser.add_argument("--log-maker", required=True)
    parser.add_argument("--fixes", type=int, default=600000)
    parser.add_argument("--runs", type=int, default=5)
    parser.add_argument("--budget-ms", type=float, default=1000)
    parser.add_argument("--frame-budget-ms", type=float, default=50)
    parser.add_argument("--keep", help="folder to keep the log and page in (a log already there is used again)")
    args = parser.parse_args()

    chromium = find_chromium()
    if chromium is None:
        print("Chromium is not installed (Debian package chromium): nothing measured.")
        return 77

    work = pathlib.Path(args.keep or tempfile.mkdtemp(prefix="routelet-page-speed-"))
    work.mkdir(parents=True, exist_ok=True)
    try:
        shutil.copy2(args.program, work / "routelet")
        shutil.copy2(args.template, work / "template.dat")
        log = work / f"track-{args.fixes}.nmea"
        if not log.exists():
            subprocess.run([args.log_maker, str(log), str(args.fixes)], check=True)
        subprocess.run([str(work / "routelet"), "--console", str(log)], check=True, cwd=work,
                       stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, env=dict(os.environ, TZ="Asia/Tokyo"))
        page = log.with_suffix(".html")

        shown, answered = [], []
        with Browser(chromium, 1280, 900) as browser:
            browser.send("Page.addScriptToEvaluateOnNewDocument", {"source": HOOK})
            browser.open(page.as_uri(), timeout=120)
            browser.wait_for("document.body.getAttribute('data-ready') === '1'", timeout=120)
            button = centre_of(browser, "#zoom-in")
            for _ in range(args.runs):
                drawn, clicked = open_and_click(browser, page, button)
                shown.append(drawn)
                answered.append(clicked)
            frames, after = frame_times(browser)
            frames.sort()
            facts = browser.evaluate("""({
                points: Number(document.body.getAttribute('data-points')),
                altitude: Number(document.getElementById('altitude-chart').getAttribute('data-vertices')),
                speed: Number(document.getElementById('speed-chart').getAttribute('data-vertices')),
                errors: window.routeletErrors.length })""")
            browser.open(page.as_uri(), timeout=120)
            browser.wait_for("document.body.getAttribute('data-ready') === '1'", timeout=120)
            facts["vertices"] = int(browser.evaluate("document.body.getAttribute('data-route-vertices')"))
            errors = browser.exceptions + browser.console_errors

        worst, p95 = frames[-1], frames[int(0.95 * (len(frames) - 1))]
        print(f"page: {page.stat().st_size / 1e6:.1f} MB, {facts['points']} points")
        print(f"drawn: route {facts['vertices']} vertices, profiles {facts['altitude']} and "
              f"{facts['speed']} vertices, script errors {facts['errors'] + len(errors)}")
        print(f"navigation to shown (ms): {shown}; median {statistics.median(shown):.0f}")
        print(f"navigation to click answered (ms): {answered}; median {statistics.median(answered):.0f}, "
              f"budget {args.budget_ms:.0f}")
        print(f"frames while zooming and panning: {len(frames)}, worst {worst:.1f} ms, 95th percentile {p95:.1f} ms, "
              f"budget {args.frame_budget_ms:.0f}")
        print(f"slowest frame of the second after the gesture: {after:.1f} ms")
        if facts["errors"] or errors:
            print("the page raised script errors:", errors)
            return 1
        slow = statistics.median(answered) > args.budget_ms or statistics.median(shown) > args.budget_ms
        return 1 if slow or worst > args.frame_budget_ms else 0
    finally:
        if not args.keep:
            shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
