#!/usr/bin/env bash
# Writing positions into PHOTOS copies of a camera photo (default 2000) taken along an hour's
# log: `routelet --geotag` against `exiftool -geotag` reading the GPX that the shipped
# templates/gpx.dat writes from the same log. Both keep the files' times and leave no backup
# copies. Prints the best time of ROUNDS runs of each (default 3), taken in turn on fresh copies so
# that other work on the machine slows both alike, and the ratio of the times.
# Usage: [ROUNDS=N] bench/geotag_compare.sh [PHOTOS]   (expects a Release build in build/)
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build="$root/build"
rounds=${ROUNDS:-3}
photos=${1:-2000}
command -v exiftool >/dev/null || { echo "exiftool is not installed (Debian package libimage-exiftool-perl)"; exit 1; }
cmake --build "$build" --target routelet >/dev/null

work=$(mktemp -d "${TMPDIR:-/tmp}/routelet-geotag-XXXXXX")
trap 'rm -rf "$work"' EXIT
mkdir "$work/pristine"
# An hour of fixes, one a second, heading north-east from Kyoto.
python3 - "$work/pristine/trip.log" <<'PY'
import sys
def checksum(body):
    value = 0
    for c in body: value ^= ord(c)
    return "$%s*%02X\r\n" % (body, value)
with open(sys.argv[1], "w", newline="") as log:
    for second in range(3600):
        h, m, s = second // 3600, second // 60 % 60, second % 60
        lat, lng = 35.0 + second * 1e-5, 135.75 + second * 1e-5
        pos = "%02d%07.4f,N,%03d%07.4f,E" % (int(lat), (lat % 1) * 60, int(lng), (lng % 1) * 60)
        log.write(checksum("GPGGA,%02d%02d%02d,%s,1,08,0.9,%.1f,M,0.0,M,," % (h, m, s, pos, 50 + second / 100)))
        log.write(checksum("GPRMC,%02d%02d%02d,A,%s,10.0,45.0,010111,," % (h, m, s, pos)))
PY
"$build/routelet" --console --template="$root/templates/gpx.dat" -o "$work/trip.gpx" "$work/pristine/trip.log"
cp "$root/tests/data/photos/Canon_40D.jpg" "$work/base.jpg"
exiftool -q -overwrite_original -gps:all= -AllDates="2011:01:01 00:00:00" -OffsetTimeOriginal=+00:00 "$work/base.jpg"
# The copies' times spread over the hour: the date texts are patched in place.
python3 - "$work/base.jpg" "$work/pristine" "$photos" <<'PY'
import sys
base, folder, count = open(sys.argv[1], "rb").read(), sys.argv[2], int(sys.argv[3])
for i in range(count):
    second = i * 3599 // max(count - 1, 1)
    date = b"2011:01:01 %02d:%02d:%02d" % (second // 3600, second // 60 % 60, second % 60)
    open("%s/IMG_%05d.jpg" % (folder, i), "wb").write(base.replace(b"2011:01:01 00:00:00", date))
PY

declare -A best=()
run() {  # name, command...
  local name=$1 start end seconds
  shift
  rm -rf "$work/photos" && cp -a "$work/pristine" "$work/photos" && sync
  start=$(date +%s.%N)
  "$@" >/dev/null 2>&1
  end=$(date +%s.%N)
  seconds=$(echo "$end - $start" | bc -l)
  if [[ -z "${best[$name]:-}" ]] || (($(echo "$seconds < ${best[$name]}" | bc -l))); then best[$name]=$seconds; fi
}
echo "load before: $(uptime)"
for ((round = 0; round < rounds; round++)); do
  # Each round the other program goes first.
  order=(routelet exiftool)
  ((round % 2 == 0)) || order=(exiftool routelet)
  for name in "${order[@]}"; do
    if [[ $name == routelet ]]; then
      run routelet "$build/routelet" --console -o /dev/null --geotag "$work/photos/trip.log"
    else
      run exiftool env TZ=UTC exiftool -q -P -overwrite_original -geotag "$work/trip.gpx" "$work/photos" -ext jpg
    fi
  done
done
echo "load after:  $(uptime)"
tagged=$(exiftool -q -fast2 -n -p '$GPSLatitude' "$work/photos" -ext jpg | wc -l)
printf 'routelet --geotag: %6.2f s\nexiftool -geotag:  %6.2f s\nexiftool / routelet: %.1f (last run tagged %d of %d photos)\n' \
  "${best[routelet]}" "${best[exiftool]}" "$(echo "${best[exiftool]} / ${best[routelet]}" | bc -l)" "$tagged" "$photos"
