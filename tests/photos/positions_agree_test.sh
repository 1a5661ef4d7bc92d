#!/usr/bin/env bash
# The photos' positions on the page agree with an independent reader's: exiftool places copies of
# the same photos from the GPX that the shipped GPX template writes of the same log, and each
# position must be within 2 m of the page's. The log is a real 1 Hz flight with every other fix
# left out, so that most photos fall between two fixes some 150 m apart (the flight holds seven fixes) and are interpolated.
# Usage: positions_agree_test.sh PROGRAM SOURCE_DIR
set -euo pipefail
command -v exiftool >/dev/null || { echo "skipped: exiftool is not installed (scripts/install-deps.sh)"; exit 77; }
program=$1 source=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
fail() { echo "FAIL: $*" >&2; exit 1; }

grep -a '^\$GPRMC,[0-9]*,A,' "$source/tests/data/nmea/gprmc-1hz-aircraft-descent-head-crlf.nmea" |
  awk 'NR % 2 == 1' > flight.log
[[ $(wc -l < flight.log) -ge 4 ]] || fail "the flight log has too few fixes"
# Photos at the fixes left and halfway between them, in UTC.
for second in 24 25 26 27 29 30; do
  cp "$source/tests/data/photos/Canon_40D.jpg" "p$second.jpg"
  exiftool -q -overwrite_original -gps:all= -DateTimeOriginal="2017:03:31 11:01:$second" \
    -OffsetTimeOriginal=+00:00 "p$second.jpg"
done
printf '[photolist]\r\n*photolist\r\n[file] [lat:full] [lng:full] [where]\r\n' > places.dat
"$program" --console --template=places.dat -o page.txt flight.log 2>/dev/null || fail "page: exit $?"
"$program" --console --template="$source/templates/gpx.dat" -o flight.gpx flight.log 2>/dev/null || fail "gpx: exit $?"
exiftool -q -overwrite_original -geotag flight.gpx '-geotime<${DateTimeOriginal}+00:00' p*.jpg
exiftool -q -n -T -FileName -GPSLatitude -GPSLongitude p*.jpg > independent.txt

python3 - page.txt independent.txt <<'PY' || fail "positions disagree"
import math, sys
page = {f: (float(a), float(b), w) for f, a, b, w in (l.split() for l in open(sys.argv[1]) if l.strip())}
seen = 0
for name, lat, lng in (l.split() for l in open(sys.argv[2]) if l.strip()):
    plat, plng, where = page[name]
    assert where == "track", (name, where)
    dy = math.radians(float(lat) - plat) * 6371000
    dx = math.radians(float(lng) - plng) * 6371000 * math.cos(math.radians(plat))
    metres = math.hypot(dx, dy)
    print(f"{name}: {metres:.3f} m apart")
    assert metres < 2, name
    seen += 1
assert seen == 6, seen
PY
