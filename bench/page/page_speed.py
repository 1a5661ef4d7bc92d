#!/usr/bin/env python3
"""How long the shipped page takes to open and draw a track of 200,000 fixes in Chromium.

Generates the log with the benchmarks' make_nmea_log program, converts it with the built program and the source tree's template.dat, opens the
page several times in headless Chromium and reports the time from the start of navigation to
the moment the page's script has drawn everything (the page writes it in data-drawn-ms), with
the file's size and what was drawn. Exits 1 when the median exceeds the budget.

    page_speed.py --program build/routelet --log-maker build/bench/make_nmea_log
                  [--fixes 200000] [--runs 5] [--budget-ms 2000] [--keep DIR]
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


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--program", required=True)
    parser.add_argument("--template", default=str(root / "template.dat"))
    parser.add_argument("--log-maker", required=True)
    parser.add_argument("--fixes", type=int, default=200000)
    parser.add_argument("--runs", type=int, default=5)
    parser.add_argument("--budget-ms", type=float, default=2000)
    parser.add_argument("--keep", help="folder to keep the log and page in")
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
        log = work / "large.nmea"
        subprocess.run([args.log_maker, str(log), str(args.fixes)], check=True)
        subprocess.run([str(work / "routelet"), "--console", str(log)], check=True, cwd=work,
                       stdin=subprocess.DEVNULL, env=dict(os.environ, TZ="Asia/Tokyo"))
        page = log.with_suffix(".html")

        drawn, loaded = [], []
        with Browser(chromium, 1280, 900) as browser:
            for _ in range(args.runs):
                browser.open(page.as_uri(), timeout=120)
                browser.wait_for("document.body.getAttribute('data-ready') === '1'", timeout=120)
                drawn.append(int(browser.evaluate("document.body.getAttribute('data-drawn-ms')")))
                loaded.append(browser.evaluate(
                    "Math.round(performance.getEntriesByType('navigation')[0].responseEnd)"))
            facts = browser.evaluate("""({
                points: Number(document.body.getAttribute('data-points')),
                vertices: Number(document.body.getAttribute('data-route-vertices')),
                altitude: Number(document.getElementById('altitude-chart').getAttribute('data-vertices')),
                speed: Number(document.getElementById('speed-chart').getAttribute('data-vertices')),
                errors: window.routeletErrors.length })""")
            errors = browser.exceptions + browser.console_errors

        median = statistics.median(drawn)
        print(f"page: {page.stat().st_size / 1e6:.1f} MB, {facts['points']} points")
        print(f"drawn: route {facts['vertices']} vertices, profiles {facts['altitude']} and "
              f"{facts['speed']} vertices, script errors {facts['errors'] + len(errors)}")
        print(f"file read by the browser (ms): {loaded}")
        print(f"open to drawn (ms): {drawn}; median {median:.0f}, budget {args.budget_ms:.0f}")
        if facts["errors"] or errors:
            print("the page raised script errors:", errors)
            return 1
        return 0 if median <= args.budget_ms else 1
    finally:
        if not args.keep:
            shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
