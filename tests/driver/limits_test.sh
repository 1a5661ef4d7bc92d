#!/usr/bin/env bash
# The program at the limits of its machine: memory (a line of 100 MB of commas is read in about
# its own size; where memory runs out the user is told, exit 1, no abort), a full device for
# --help and --version (exit 1 with a message), and no /proc (the template is still found beside
# the program, by its path or through PATH). Not for sanitizer builds, whose memory is not theirs.
# Usage: limits_test.sh PROGRAM
set -uo pipefail
source "$(dirname "$0")/../support/program_test.sh" "$1" "[numrecord]"
cd "$work"
{ printf '$GPRMC,'; head -c 100000000 /dev/zero | tr '\0' ,; } > commas.log
(ulimit -v 400000 && exec ./routelet --console commas.log) && [ "$(cat commas.html)" = 1 ] || fail "a line of commas"
(ulimit -v 100000 && exec ./routelet --console commas.log) 2>err
[ $? = 1 ] && [ "$(cat err)" = "エラー: メモリが足りないため、変換をやめました" ] || fail "out of memory: $(cat err)"

for option in --help --version; do
  ./routelet $option >/dev/full 2>err
  [ $? = 1 ] && grep -q '^routelet: 標準出力に書きこめません（No space left on device）$' err || fail "$option to a full device"
done

mkdir elsewhere && fixes 3 elsewhere/trip.log
if unshare -m --propagation private true 2>/dev/null; then
  for program in "$work/routelet" routelet; do
    rm -f elsewhere/trip.html
    (cd elsewhere && PATH="$work:$PATH" unshare -m --propagation private sh -c \
      'mount -t tmpfs none /proc && exec "$0" --console trip.log' "$program") && [ "$(cat elsewhere/trip.html)" = 3 ] ||
      fail "$program without /proc"
  done
else
  echo "no mount namespace to hide /proc in: the program without /proc is not tried"
fi
finish
