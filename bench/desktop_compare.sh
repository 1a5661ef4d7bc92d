#!/usr/bin/env bash
# Times the desktop run (progress window on a virtual X display) against the terminal run on the
# same generated log (default 200,000 fixes) and the shipped template, and prints the ratio.
# The progress window should cost next to nothing: the target is a ratio of at most 1.3.
# Needs Xvfb (Debian package xvfb).
# Usage: bench/desktop_compare.sh [BUILD_DIR] [FIXES] [REPEATS]
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${1:-"$root/build"}
fixes=${2:-200000}
repeats=${3:-5}
source "$root/tests/driver/gui/xvfb.sh"
cmake --build "$build" --target routelet make_nmea_log >/dev/null
start_xvfb
log="$XVFB_HOME/week.log"
"$build/bench/make_nmea_log" "$log" "$fixes" >/dev/null

best() {  # best COMMAND...: the shortest wall time of REPEATS runs, in seconds
  local min="" start end t
  for ((i = 0; i < repeats; i++)); do
    start=$(date +%s%N)
    "$@" "$log" >/dev/null 2>&1 || { echo "failed: $*" >&2; exit 1; }
    end=$(date +%s%N)
    t=$((end - start))
    if [[ -z "$min" ]] || ((t < min)); then min=$t; fi
  done
  echo "scale=3; $min / 1000000000" | bc
}

terminal_s=$(best "$build/routelet" --console)
desktop_s=$(best "$build/routelet" --gui)
echo "log: $fixes fixes, $(($(stat -c %s "$log") / 1000000)) MB; best of $repeats runs"
echo "terminal: ${terminal_s} s"
echo "desktop:  ${desktop_s} s  -> $(echo "scale=2; $desktop_s / $terminal_s" | bc) x the terminal run"
