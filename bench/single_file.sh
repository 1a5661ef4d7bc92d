#!/usr/bin/env bash
# Times --single-file with the map tiles already in the cache (served once by a tile server on
# 127.0.0.1, so no other host is asked), on two cores:
#   the sample (examples/), and the sample ride with COUNT camera-sized photos (12, 16 and 24 MP,
#   made by bench/make_photos), first with no preview kept and then with the previews kept; once
#   with the large preview a camera stores in each photo, once without (as a phone's or an
#   editor's export).
# Each figure is the best of ROUNDS runs; the load is printed before and after.
# Usage: bench/single_file.sh [COUNT] [ROUNDS]     (expects a Release build in build/)
# ROUTELET_PROGRAM=path times that routelet (its photo formats' module beside it) instead of the
# build's, on the same photos: an earlier commit's, for figures before and after a change.
# PREVIEW_SIDE=N gives the camera previews that long side instead of make_photos' 1,620 px, and
# PREVIEW_QUALITY=N that JPEG quality instead of 90.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
count=${1:-200}
rounds=${2:-3}
build="$root/build"
program=${ROUTELET_PROGRAM:-$build/routelet}
cmake --build "$build" --target routelet make_photos >/dev/null
work=$(mktemp -d)
server=
trap '[ -n "$server" ] && kill "$server"; rm -rf "$work"' EXIT
export XDG_CACHE_HOME="$work/cache"
mkdir "$work/sample" "$work/camera" "$work/plain"
cp "$root"/examples/* "$work/sample/"
cp "$root"/examples/kamo-river-ride.log "$work/camera/"
cp "$root"/examples/kamo-river-ride.log "$work/plain/"
"$build/bench/make_photos" ${PREVIEW_SIDE:+--preview-side=$PREVIEW_SIDE} \
  ${PREVIEW_QUALITY:+--preview-quality=$PREVIEW_QUALITY} "$work/camera" "$count"
"$build/bench/make_photos" --no-preview "$work/plain" "$count"
echo "photos: $count, $(du -sm "$work/camera" | cut -f1) MB with camera previews, $(du -sm "$work/plain" | cut -f1) MB without"

python3 "$root/tests/tiles/tile_server.py" serve "$work/requests" "$work/port" > /dev/null & server=$!
while [ ! -s "$work/port" ]; do sleep 0.05; done
tiles="--tile-source=http://127.0.0.1:$(cat "$work/port")/{z}/{x}/{y}.png"

# The best of ROUNDS runs of routelet on two cores in FOLDER: best FOLDER [--clear-previews]
best() {
  local folder=$1 fastest=
  for _ in $(seq "$rounds"); do
    [ "${2:-}" = --clear-previews ] && rm -rf "$XDG_CACHE_HOME/routelet/previews"
    local started=$(date +%s.%N)
    (cd "$folder" && taskset -c 0,1 "$program" --console --threads=2 --single-file "$tiles" kamo-river-ride.log)
    local took=$(echo "$(date +%s.%N) - $started" | bc)
    if [ -z "$fastest" ] || [ "$(echo "$took < $fastest" | bc)" = 1 ]; then fastest=$took; fi
  done
  echo "$fastest"
}
(cd "$work/sample" && "$program" --console --single-file "$tiles" kamo-river-ride.log)  # the tiles into the cache
requests=$(wc -l < "$work/requests")
echo "load before: $(cut -d' ' -f1-3 /proc/loadavg)"
echo "sample, tiles kept:                 $(best "$work/sample") s, $(stat -c %s "$work/sample/kamo-river-ride.html") bytes"
# The photos of FOLDER timed first with no preview kept, then with the previews kept: photos NAME FOLDER
photos() {
  local first again
  first=$(best "$2" --clear-previews)
  echo "$count photos $1, no preview kept: $first s ($(echo "scale=2; $first * 100 / $count" | bc) s per 100 photos)"
  again=$(best "$2")
  echo "$count photos $1, previews kept:   $again s ($(echo "scale=2; $again * 100 / $count" | bc) s per 100 photos)"
  echo "page $1: $(stat -c %s "$2/kamo-river-ride.html") bytes"
}
photos "with camera previews" "$work/camera"
photos "without             " "$work/plain"
echo "load after: $(cut -d' ' -f1-3 /proc/loadavg)"
[ "$(wc -l < "$work/requests")" = "$requests" ] || echo "NOTE: the timed runs fetched tiles"
