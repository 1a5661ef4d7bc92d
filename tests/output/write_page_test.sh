#!/usr/bin/env bash
# The real program writes its page as a careful user needs: never over the log through another
# name that reaches it, under any name the file system takes, and never leaving a partial or
# temporary file when SIGTERM, SIGINT or SIGHUP ends it mid-write: the earlier page stays whole.
# Every check runs both ways the page is written: through an unnamed file (O_TMPFILE), and through
# a named temporary file, as on file systems without unnamed files (SHIM preloaded).
# Usage: write_page_test.sh PROGRAM SHIM
set -uo pipefail
set -m  # background runs get SIGINT like any other signal
item='<tr><td>[index]</td><td>[timestr]</td><td>[lat]</td><td>[lng]</td><td>[dist]</td><td>[speed]</td></tr>'
source "$(dirname "$0")/../support/program_test.sh" "$1" "[recordlist]"$'\r\n*recordlist\r\n'"$item$item$item"
shim=$(realpath "$2")
cd "$work"
export ASAN_OPTIONS="${ASAN_OPTIONS:-}:verify_asan_link_order=0"  # the shim comes before ASan's runtime
fixes 200000 big.log
./routelet --console big.log && mv big.html whole.html || fail "no reference page"

# Whether the program holds a file open that is neither the log nor the page: its new page.
writing() {
  [ "/proc/$1/exe" -ef routelet ] || return 1
  for fd in /proc/$1/fd/*; do [ -f "$fd" ] && ! [ "$fd" -ef big.log ] && ! [ "$fd" -ef big.html ] && return 0; done
  return 1
}
running() { local state; read -r _ _ state _ < "/proc/$1/stat" 2>/dev/null && [ "$state" != Z ]; }

interrupted=0
for way in unnamed named; do
  preload=; [ $way = named ] && preload=$shim
  for link in "ln -s" ln; do
    rm -f trip.*; fixes 3 trip.html; cp trip.html log.copy; $link trip.html trip.log
    LD_PRELOAD=$preload ./routelet --console trip.log 2>err
    [ $? = 1 ] && grep -q ログを上書きしない err && cmp -s trip.html log.copy || fail "$way: '$link' log replaced"
  done
  long=$(printf 'n%.0s' {1..250})  # its page's name is 255 bytes long
  fixes 3 "$long.log"
  LD_PRELOAD=$preload ./routelet --console "$long.log" && [ -s "$long.html" ] || fail "$way: a 255-byte page name"
  rm -f "$long".*

  # A signal as soon as the new page is open: the earlier page or the whole new one, nothing else.
  for signal in TERM INT HUP; do
    printf earlier > big.html
    files=$(ls -A)
    (LD_PRELOAD=$preload exec ./routelet --console big.log >/dev/null 2>&1) &  # $! is the program
    pid=$!
    until writing $pid || ! running $pid; do :; done
    kill -$signal $pid 2>/dev/null
    wait $pid
    status=$?
    [ "$status" = 0 ] || [ "$status" = $((128 + $(kill -l $signal))) ] || fail "$way $signal: exit status $status"
    [ "$(cat big.html)" = earlier ] && interrupted=$((interrupted + 1)) || cmp -s big.html whole.html ||
      fail "$way $signal: neither the earlier page nor the whole new one"
    [ "$(ls -A)" = "$files" ] || fail "$way $signal: a file left behind:" $(ls -A)
  done
done
echo "$interrupted of 6 runs were ended by the signal while the page was written"
finish
