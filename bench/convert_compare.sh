#!/usr/bin/env bash
# Times the whole conversion of a log, with a template that prints every record placeholder and
# the totals, next to two yardsticks, all in one run:
#   gpsbabel -i nmea -f LOG -o gpx -F out.gpx   (a general GPS converter; installed if missing)
#   grep -c GPRMC LOG                           (just counting the position sentences)
# each writing its output to a file.
# The programs take turns, round after round, in alternating order, and each one's best round counts, so that other
# work on the machine slows them alike; the load is printed before and after.
# LOG is a log file, or a number of fixes for bench/make_nmea_log, which writes logs of the
# shape receivers write (GGA, GSA, three GSV and RMC each second); default 200000 fixes.
# BASELINE=PROGRAM adds another build of routelet (an earlier one, say) to the rounds.
# Usage: bench/convert_compare.sh [LOG|FIXES] [ROUNDS]     (expects a Release build in build/)
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
source=${1:-200000}
rounds=${2:-5}
build="$root/build"
cmake --build "$build" --target routelet make_nmea_log >/dev/null
if ! command -v gpsbabel >/dev/null; then
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq gpsbabel >/dev/null 2>&1 || true
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
log="$work/week.log"
if [[ -f "$source" ]]; then
  ln -s "$(realpath "$source")" "$log"
else
  "$build/bench/make_nmea_log" "$log" "$source" >/dev/null
  sync "$log"  # on disk first: the runs must not wait for the disk to take the new log
fi
page="$work/week.html"
template='<h1>[filename]</h1><p>[numrecord] [numphoto] [totaldist] [avgspeed]</p>\r\n<table>\r\n[recordlist]</table>\r\n*recordlist\r\n<tr><td>[index]</td><td>[time]</td><td>[timestr]</td><td>[lat]</td><td>[lng]</td><td>[alt]</td><td>[dist]</td><td>[speed]</td><td>[lat:full]</td><td>[lng:full]</td><td>[alt:known]</td></tr>\r\n'
names=(routelet "routelet, 1 core")
commands=("$work/new/routelet --console $log" "taskset -c 0 $work/new/routelet --console $log")
mkdir "$work/new"
cp "$build/routelet" "$work/new/"
printf "$template" > "$work/new/template.dat"
if [[ -n "${BASELINE:-}" ]]; then
  mkdir "$work/old"
  cp "$BASELINE" "$work/old/routelet"
  printf "$template" > "$work/old/template.dat"
  names+=(baseline "baseline, 1 core")
  commands+=("$work/old/routelet --console $log" "taskset -c 0 $work/old/routelet --console $log")
fi
grep_row=${#names[@]}
names+=("grep -c")
commands+=("grep -c GPRMC $log")
if command -v gpsbabel >/dev/null; then
  names+=(gpsbabel)
  commands+=("gpsbabel -i nmea -f $log -o gpx -F $work/out.gpx")
fi

echo "load before: $(uptime)"
declare -a best
for ((round = 0; round < rounds; round++)); do
  # Every other round runs the programs in the opposite order, so that none always follows the
  # same one (the one after gpsbabel would otherwise always pay for its output being written out).
  order=("${!commands[@]}")
  if ((round % 2)); then order=($(printf '%s\n' "${order[@]}" | tac)); fi
  for i in "${order[@]}"; do
    rm -f "$page"  # a page to replace would add the freeing of the old one
    sync  # the previous program's output goes to the disk now, not during this one's run
    start=$(date +%s.%N)
    # Output to a file, not /dev/null: grep would stop at the first match.
    ${commands[$i]} >"$work/out.txt" 2>&1 || true
    t=$(echo "$(date +%s.%N) - $start" | bc -l)
    if [[ -z "${best[$i]:-}" ]] || (($(echo "$t < ${best[$i]}" | bc -l))); then best[$i]=$t; fi
  done
done
echo "load after:  $(uptime)"

size=$(stat -L -c %s "$log")
peak_kb=$(/usr/bin/time -f %M "$work/new/routelet" --console "$log" 2>&1 >/dev/null | tail -1)
page_size=$(stat -c %s "$page")
echo "log: $((size / 1000000)) MB, $(grep -c GPRMC "$log") position sentences; page: $((page_size / 1000000)) MB; best of $rounds rounds"
grep_s=${best[$grep_row]}
babel_s=${best[$((${#names[@]} - 1))]}
for i in "${!names[@]}"; do
  printf '%-18s %7.3f s  %6.1f x grep' "${names[$i]}" "${best[$i]}" "$(echo "${best[$i]} / $grep_s" | bc -l)"
  [[ "${names[-1]}" == gpsbabel ]] && printf '  gpsbabel takes %5.1f x as long' "$(echo "$babel_s / ${best[$i]}" | bc -l)"
  echo
done
echo "routelet's peak memory: $((peak_kb / 1024)) MiB = $(echo "scale=2; $peak_kb * 1024 / ($size + $page_size)" | bc) x (log + page)"
