#!/usr/bin/env bash
# Times logs that end in one long line, on each thread count (--threads=N; default 1, 2, 8, 64):
#   nul:    a 200,000-fix log, then 256 MB of NUL bytes without a line end (a logger's
#           preallocated file after a power loss)
#   commas: 1 GB of commas without a line end
# and prints, per log and thread count, the best time of ROUNDS runs (default 3), that against the
# one-thread time, and the highest peak memory. Reading is linear in the file's size whatever the
# thread count, and a line that cannot be a track sentence is never held: the NUL tail should stay
# within 1.5 x of its one-thread time, the commas within 2 x and under 1.2 GB.
# BASELINE=PROGRAM times another build of routelet (an earlier one, say) in turns with this one; a
# run longer than LIMIT seconds (default 120) is stopped and shown as such.
# Usage: [ROUNDS=N] [BASELINE=PROGRAM] [LIMIT=S] bench/long_lines.sh [THREADS...]
#        (expects a Release build in build/)
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build="$root/build"
rounds=${ROUNDS:-3}
limit=${LIMIT:-120}
threads=("$@")
((${#threads[@]})) || threads=(1 2 8 64)
cmake --build "$build" --target routelet make_nmea_log >/dev/null

work=$(mktemp -d "${TMPDIR:-/tmp}/routelet-long-lines-XXXXXX")
trap 'rm -rf "$work"' EXIT
printf '<p>[numrecord] [totaldist] [avgspeed]</p>\r\n' > "$work/template.dat"
programs=("$build/routelet")
names=(routelet)
if [[ -n "${BASELINE:-}" ]]; then
  cp "$BASELINE" "$work/baseline"
  programs+=("$work/baseline")
  names+=(baseline)
fi

"$build/bench/make_nmea_log" "$work/nul.log" 200000 >/dev/null
head -c $((256 * 1024 * 1024)) /dev/zero >> "$work/nul.log"
head -c 1000000000 /dev/zero | tr '\0' , > "$work/commas.log"
sync "$work/nul.log" "$work/commas.log"  # on disk first: the runs must not wait for the disk

echo "load before: $(uptime)"
for log in nul commas; do
  echo "$log: $(($(stat -c %s "$work/$log.log") / 1000000)) MB"
  for p in "${!programs[@]}"; do
    one=""
    for n in "${threads[@]}"; do
      best="" peak=0
      for ((round = 0; round < rounds; round++)); do
        rm -f "$work/$log.html"
        # Elapsed seconds and peak resident kilobytes; a run stopped at the limit counts as the limit.
        read -r seconds kb < <(/usr/bin/time -f '%e %M' timeout "$limit" "${programs[$p]}" --console --threads="$n" \
          --template="$work/template.dat" "$work/$log.log" 2>&1 >/dev/null | tail -1)
        ((kb > peak)) && peak=$kb
        if [[ -z "$best" ]] || (($(echo "$seconds < $best" | bc -l))); then best=$seconds; fi
      done
      [[ -z "$one" ]] && one=$best
      stopped=$( (($(echo "$best >= $limit" | bc -l))) && echo " (stopped)" || true)
      printf '  %-9s %2d threads: %7.2f s = %5.2f x one thread, peak %5d MB%s\n' "${names[$p]}" "$n" "$best" \
        "$(echo "$best / $one" | bc -l)" $((peak / 1024)) "$stopped"
    done
  done
done
echo "load after:  $(uptime)"
