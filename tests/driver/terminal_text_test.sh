#!/usr/bin/env bash
# Every message that holds a name or value the user gave, given one full of ESC, BEL, CSI, DEL, C0
# and C1 controls, puts no raw control byte out but line ends (and, on a terminal, its own "\r\e[K"
# of the progress line): into a file, and on a terminal (script(1)), where progress and summary show.
# Usage: terminal_text_test.sh PROGRAM
source "$(dirname "$0")/../support/program_test.sh" "$1" "[numphoto]"
h=$'\e]52;c;eA==\a\e[2J\x7f\xc2\x9b\xc2\x85\x01\t'
fixes 3 trip.log && cp trip.log "$h.log" && mkdir "p$h" && printf 'no photo' > "p$h/$h.jpg"
printf '*extension\r\n%s\r\n' "$h" > "extension.dat"
cases=("-$h.log" "--camera-zone=$h|trip.log" "--photos|$h|trip.log" "--console|$h.missing.log"
  "--console|--template|$h.dat|trip.log" "--console|--template|extension.dat|trip.log"
  "--console|-o|$h/trip.html|trip.log" "--console|--photos|p$h|$h.log")
clean() { ! LC_ALL=C sed 's/\r\x1b\[K//g; s/\r$//' out | LC_ALL=C grep -qaP '[\x00-\x09\x0b-\x1f\x7f]|\xc2[\x80-\x9f]'; }
for case in "${cases[@]}"; do
  IFS='|' read -r -a args <<< "$case"
  ./routelet "${args[@]}" > out 2>&1
  clean || fail "into a file: $(printf '%q ' "${args[@]}")"
  SHELL=/bin/bash script -qec "$(printf '%q ' ./routelet "${args[@]}")" /dev/null < /dev/null > out
  clean && [ -s out ] || fail "on a terminal: $(printf '%q ' "${args[@]}")"
done
grep -qF '\e]52;c;eA==\x07\e[2J\x7f\x9b\x85\x01\x09.htmlを書き出しました：3地点' out || fail "the summary: $(cat -v out)"
finish
