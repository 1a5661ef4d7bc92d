#!/usr/bin/env bash
# The program at the limits of its machine: a line of 100 MB of commas is read in about its own
# memory (in far less when it cannot be a sentence), and where memory runs out the user is told
# (exit 1, no abort); --help and --version to a full device exit 1 with a message; without /proc
# the template is still found beside the program, by its path or through PATH. Not for sanitizer
# builds, whose memory is not theirs.
# Usage: limits_test.sh PROGRAM
source "$(dirname "$0")/../support/program_test.sh" "$1" "[numrecord]"
{ printf '$GPRMC,'; head -c 100000000 /dev/zero | tr '\0' ,; } > commas.log
(ulimit -v 400000 && exec ./routelet --console commas.log) && [ "$(cat commas.html)" = 1 ] || fail "a line of commas"
fails_saying '^エラー: メモリが足りないため、変換をやめました$' sh -c 'ulimit -v 100000 && exec ./routelet --console commas.log' ||
  fail "out of memory: $(cat err)"
# A line that cannot be a sentence is passed over, not held: 100 MB of commas after fixes, on any
# thread count, in less memory than the line.
fixes 3 tail.log && head -c 100000000 /dev/zero | tr '\0' , >> tail.log
for threads in 1 4; do
  (ulimit -v 100000 && exec ./routelet --console --threads=$threads tail.log) && [ "$(cat tail.html)" = 3 ] ||
    fail "a long line of commas after fixes, $threads threads"
done
for option in --help --version; do
  fails_saying '^routelet: 標準出力に書きこめません（No space left on device）$' ./routelet $option >/dev/full || fail "$option to /dev/full"
done
mkdir elsewhere && fixes 3 elsewhere/trip.log
for program in "$work/routelet" routelet; do
  unshare -m true 2>/dev/null || { echo "no mount namespace to hide /proc in: not tried without /proc"; break; }
  (cd elsewhere && PATH="$work:$PATH" unshare -m --propagation private sh -c \
    'mount -t tmpfs none /proc && exec "$0" --console trip.log' "$program") && [ "$(cat elsewhere/trip.html)" = 3 ] ||
    fail "$program without /proc"
  rm -f elsewhere/trip.html
done
finish
