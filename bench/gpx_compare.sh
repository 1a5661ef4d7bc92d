#!/usr/bin/env bash
# The same points as an NMEA log and as a GPX file (written from that log by the shipped
# templates/gpx.dat): prints the best time of ROUNDS conversions (default 3) of each, taken in
# turn so that other work on the machine slows both alike, with each one's peak memory and the
# ratio of the times. The log is generated with FIXES fixes (default 200000), or LOG=FILE is used.
# The same GPX compressed with gzip is converted too, and a general GPS data converter
# (gpsbabel, Debian package gpsbabel) reads the GPX and writes it again as GPX
# (`gpsbabel -i gpx -f FILE -o gpx -F OUT`), taken in the same turns, for a yardstick: Routelet's
# GPX conversion is to be at least 20 times faster. A pass of expat with no handlers over the GPX
# on one thread (bench/expat_pass) is the floor under any reading of it, taken in the same turns.
# Usage: [ROUNDS=N] [LOG=FILE] bench/gpx_compare.sh [FIXES]   (expects a Release build in build/)
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build="$root/build"
rounds=${ROUNDS:-3}
fixes=${1:-200000}
cmake --build "$build" --target routelet make_nmea_log expat_pass >/dev/null

work=$(mktemp -d "${TMPDIR:-/tmp}/routelet-gpx-XXXXXX")
trap 'rm -rf "$work"' EXIT
if [[ -n "${LOG:-}" ]]; then cp "$LOG" "$work/trip.log"; else "$build/bench/make_nmea_log" "$work/trip.log" "$fixes" >/dev/null; fi
"$build/routelet" --console --template="$root/templates/gpx.dat" "$work/trip.log"
gzip -k "$work/trip.gpx"
cp "$build/routelet" "$work/"
printf '[numrecord] [totaldist]\n[recordlist]\n*recordlist\n[index]|[time:iso]|[timestr]|[lat:full]|[lng:full]|[alt:known]|[dist]|[speed]\n*extension\ntxt\n' \
  > "$work/template.dat"

declare -A best=() peak=()
floor=
echo "load before: $(uptime)"
for ((round = 0; round < rounds; round++)); do
  for input in trip.log trip.gpx trip.gpx.gz gpsbabel; do
    if [[ $input == gpsbabel ]]; then
      run=(gpsbabel -i gpx -f "$work/trip.gpx" -o gpx -F "$work/again.gpx")
    else
      run=("$work/routelet" --console -o /dev/null "$work/$input")
    fi
    read -r seconds peak_kb < <(/usr/bin/time -f '%e %M' "${run[@]}" 2>&1 | tail -1)
    if [[ -z "${best[$input]:-}" ]] || (($(echo "$seconds < ${best[$input]}" | bc -l))); then best[$input]=$seconds; fi
    if ((peak_kb > ${peak[$input]:-0})); then peak[$input]=$peak_kb; fi
  done
  pass=$("$build/bench/expat_pass" "$work/trip.gpx")
  if [[ -z "$floor" ]] || (($(echo "$pass < $floor" | bc -l))); then floor=$pass; fi
done
echo "load after:  $(uptime)"
for input in trip.log trip.gpx trip.gpx.gz; do
  printf '%-11s %6d MB: %6.2f s, peak %5d MB\n' "$input" $(($(stat -c %s "$work/$input") / 1000000)) "${best[$input]}" $((peak[$input] / 1024))
done
printf '%-11s %6d MB: %6.2f s, peak %5d MB (GPX to GPX)\n' gpsbabel $(($(stat -c %s "$work/trip.gpx") / 1000000)) \
  "${best[gpsbabel]}" $((peak[gpsbabel] / 1024))
printf 'expat alone %6d MB: %6.2f s (no handlers, one thread: the floor)\n' $(($(stat -c %s "$work/trip.gpx") / 1000000)) "$floor"
printf 'GPX / NMEA time: %.2f\n' "$(echo "${best[trip.gpx]} / ${best[trip.log]}" | bc -l)"
printf 'gzipped GPX / GPX time: %.2f\n' "$(echo "${best[trip.gpx.gz]} / ${best[trip.gpx]}" | bc -l)"
printf 'gpsbabel / Routelet GPX time: %.1f (at least 20 wanted)\n' "$(echo "${best[gpsbabel]} / ${best[trip.gpx]}" | bc -l)"
