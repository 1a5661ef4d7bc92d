#!/usr/bin/env bash
# Converts generated logs of growing size (default 0.1, 0.2, 0.5 and 1 GB) with a template that
# prints every record placeholder, and prints one line per size: the best time of ROUNDS runs
# (default 3), the time per GB, the highest peak memory, and that against the log's and the
# page's size. Time per GB should stay flat. BASELINE=PROGRAM times another build of routelet
# (an earlier one, say) turn about with this one, so that other work on the machine slows both
# alike; the load is printed before and after. Each size is converted a second time as GPX: the
# same points written from the log by templates/gpx.dat (the "gpx" lines; their time per GB is of
# the NMEA log's size, so that both lines compare the same points).
# Usage: [ROUNDS=N] [BASELINE=PROGRAM] bench/scale.sh [GIGABYTES...]   (expects a Release build in build/)
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build="$root/build"
rounds=${ROUNDS:-3}
sizes=("$@")
((${#sizes[@]})) || sizes=(0.1 0.2 0.5 1)
cmake --build "$build" --target routelet make_nmea_log >/dev/null

work=$(mktemp -d "${TMPDIR:-/tmp}/routelet-scale-XXXXXX")
trap 'rm -rf "$work"' EXIT
template='<h1>[filename:html]</h1><p>[numrecord] [numphoto] [totaldist] [avgspeed]</p>\r\n<table>\r\n[recordlist]</table>\r\n*recordlist\r\n<tr><td>[index]</td><td>[time]</td><td>[timestr]</td><td>[lat]</td><td>[lng]</td><td>[alt]</td><td>[dist]</td><td>[speed]</td><td>[lat:full]</td><td>[lng:full]</td><td>[alt:known]</td></tr>\r\n'
programs=(new)
mkdir "$work/new"
cp "$build/routelet" "$work/new/"
if [[ -n "${BASELINE:-}" ]]; then
  programs+=(old)
  mkdir "$work/old"
  cp "$BASELINE" "$work/old/routelet"
fi
for program in "${programs[@]}"; do printf "$template" > "$work/$program/template.dat"; done

echo "load before: $(uptime)"
for gb in "${sizes[@]}"; do
  fixes=$(echo "$gb * 1000000000 / 415" | bc)
  "$build/bench/make_nmea_log" "$work/log.nmea" "$fixes" >/dev/null
  "$build/routelet" --console --template="$root/templates/gpx.dat" -o "$work/log.gpx" "$work/log.nmea" >/dev/null
  sync "$work/log.nmea" "$work/log.gpx"  # on disk first: the runs must not wait for the disk to take them
  log_bytes=$(stat -c %s "$work/log.nmea")
  for format in nmea gpx; do
    declare -A best=() peak=()
    for ((round = 0; round < rounds; round++)); do
      for program in "${programs[@]}"; do
        rm -f "$work/log.html"  # a page to replace would add the freeing of the old one
        # Elapsed seconds and peak resident kilobytes of the whole conversion.
        read -r seconds peak_kb < <(/usr/bin/time -f '%e %M' "$work/$program/routelet" --console "$work/log.$format" 2>&1 >/dev/null | tail -1)
        if [[ -z "${best[$program]:-}" ]] || (($(echo "$seconds < ${best[$program]}" | bc -l))); then best[$program]=$seconds; fi
        if ((peak_kb > ${peak[$program]:-0})); then peak[$program]=$peak_kb; fi
      done
    done
    input_bytes=$(stat -c %s "$work/log.$format")
    page_bytes=$(stat -c %s "$work/log.html")
    for program in "${programs[@]}"; do
      printf '%5s GB %-4s %s: %8d fixes, log %5d MB, page %5d MB: %6.2f s (%5.2f s/GB), peak %5d MB = %.2f x (log + page)\n' \
        "$gb" "$format" "$([[ $program == new ]] && echo "routelet" || echo "baseline")" "$fixes" $((input_bytes / 1000000)) \
        $((page_bytes / 1000000)) "${best[$program]}" "$(echo "${best[$program]} / ($log_bytes / 1000000000)" | bc -l)" \
        $((peak[$program] / 1024)) "$(echo "${peak[$program]} * 1024 / ($input_bytes + $page_bytes)" | bc -l)"
    done
    unset best peak
  done
  rm -f "$work/log.nmea" "$work/log.gpx" "$work/log.html"
done
echo "load after:  $(uptime)"
