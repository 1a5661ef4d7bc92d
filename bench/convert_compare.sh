#!/usr/bin/env bash
# Times the whole conversion of a generated log (default 200,000 fixes) with a template that
# prints every record placeholder, next to two yardsticks measured in the same run:
#   gpsbabel -i nmea -f LOG -o gpx -F out.gpx   (a general GPS converter; installed if missing)
#   grep -c -E '^\$GP(RMC|GGA),' LOG            (just finding the kept lines)
# Prints the best of REPEATS runs of each, the ratios, and routelet's peak memory.
# Usage: bench/convert_compare.sh [FIXES] [REPEATS]     (expects a Release build in build/)
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
fixes=${1:-200000}
repeats=${2:-3}
build="$root/build"
cmake --build "$build" --target routelet make_nmea_log >/dev/null
if ! command -v gpsbabel >/dev/null; then
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq gpsbabel >/dev/null 2>&1 || true
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
log="$work/week.log"
"$build/bench/make_nmea_log" "$log" "$fixes" >/dev/null
mkdir "$work/program"
cp "$build/routelet" "$work/program/"
printf '<h1>[filename]</h1><p>[numrecord] [numphoto] [totaldist] [avgspeed]</p>\r\n<table>\r\n[recordlist]</table>\r\n*recordlist\r\n<tr><td>[index]</td><td>[time]</td><td>[timestr]</td><td>[lat]</td><td>[lng]</td><td>[alt]</td><td>[dist]</td><td>[speed]</td></tr>\r\n' \
  > "$work/program/template.dat"

best() {  # best REPEATS COMMAND...: the shortest wall time in seconds
  local t min=""
  for ((i = 0; i < repeats; i++)); do
    local start end
    start=$(date +%s.%N)
    "$@" >/dev/null 2>&1 || true
    end=$(date +%s.%N)
    t=$(echo "$end - $start" | bc -l)
    if [[ -z "$min" ]] || (($(echo "$t < $min" | bc -l))); then min=$t; fi
  done
  printf '%.3f' "$min"
}

size=$(stat -c %s "$log")
routelet_s=$(best "$work/program/routelet" --console "$log")
page_size=$(stat -c %s "$work/week.html")
peak_kb=$(/usr/bin/time -f %M "$work/program/routelet" --console "$log" 2>&1 >/dev/null | tail -1)
grep_s=$(best grep -c -E '^\$GP(RMC|GGA),' "$log")
echo "log: $fixes fixes, $((size / 1000000)) MB; page: $((page_size / 1000000)) MB"
echo "routelet: ${routelet_s} s, peak memory $((peak_kb / 1024)) MiB ($(echo "scale=2; $peak_kb * 1024 / ($size + $page_size)" | bc) x (log + page))"
echo "grep -c:  ${grep_s} s  -> routelet takes $(echo "scale=1; $routelet_s / $grep_s" | bc) x grep's time"
if command -v gpsbabel >/dev/null; then
  babel_s=$(best gpsbabel -i nmea -f "$log" -o gpx -F "$work/out.gpx")
  echo "gpsbabel: ${babel_s} s  -> routelet is $(echo "scale=1; $babel_s / $routelet_s" | bc) x faster"
else
  echo "gpsbabel: not available"
fi
