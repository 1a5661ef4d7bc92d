#!/usr/bin/env bash
# Converts generated logs of growing size (default 0.1, 0.2, 0.5 and 1 GB) with a template that
# prints every record placeholder, and prints one line per size: time, peak memory, and peak
# memory against the log's and the page's size. Time per megabyte should stay flat.
# Usage: bench/scale.sh [GIGABYTES...]           (expects a Release build in build/)
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build="$root/build"
sizes=("$@")
((${#sizes[@]})) || sizes=(0.1 0.2 0.5 1)
cmake --build "$build" --target routelet make_nmea_log >/dev/null

work=$(mktemp -d "${TMPDIR:-/tmp}/routelet-scale-XXXXXX")
trap 'rm -rf "$work"' EXIT
cp "$build/routelet" "$work/"
printf '<h1>[filename:html]</h1><p>[numrecord] [numphoto] [totaldist] [avgspeed]</p>\r\n<table>\r\n[recordlist]</table>\r\n*recordlist\r\n<tr><td>[index]</td><td>[time]</td><td>[timestr]</td><td>[lat]</td><td>[lng]</td><td>[alt]</td><td>[dist]</td><td>[speed]</td></tr>\r\n' \
  > "$work/template.dat"

for gb in "${sizes[@]}"; do
  fixes=$(echo "$gb * 1000000000 / 415" | bc)
  "$build/bench/make_nmea_log" "$work/log.nmea" "$fixes" >/dev/null
  log_bytes=$(stat -c %s "$work/log.nmea")
  # Elapsed seconds and peak resident kilobytes of the whole conversion.
  read -r seconds peak_kb < <(/usr/bin/time -f '%e %M' "$work/routelet" --console "$work/log.nmea" 2>&1 >/dev/null | tail -1)
  page_bytes=$(stat -c %s "$work/log.html")
  printf '%5s GB: %8d fixes, log %5d MB, page %5d MB: %6.2f s (%5.2f s/GB), peak %5d MB = %.2f x (log + page)\n' \
    "$gb" "$fixes" $((log_bytes / 1000000)) $((page_bytes / 1000000)) "$seconds" \
    "$(echo "$seconds / ($log_bytes / 1000000000)" | bc -l)" $((peak_kb / 1024)) \
    "$(echo "$peak_kb * 1024 / ($log_bytes + $page_bytes)" | bc -l)"
  rm -f "$work/log.nmea" "$work/log.html"
done
