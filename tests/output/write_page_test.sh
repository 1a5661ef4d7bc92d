#!/usr/bin/env bash
# The real program never writes its page over the log by another name, takes a 255-byte page name,
# and when a signal ends it mid-write leaves the earlier page whole and no other file; through an
# unnamed file (O_TMPFILE), and a named one (SHIM preloaded refuses O_TMPFILE), which every signal
# that ends a process by default must remove. A signal ignored as under nohup stays ignored.
# Usage: write_page_test.sh PROGRAM SHIM
set -m  # background runs get SIGINT like any other signal
item='<tr><td>[index]</td><td>[timestr]</td><td>[lat]</td><td>[lng]</td><td>[dist]</td><td>[speed]</td></tr>'
shim=$(realpath "$2")
source "$(dirname "$0")/../support/program_test.sh" "$1" "[recordlist]"$'\r\n*recordlist\r\n'"$item$item$item"
export ASAN_OPTIONS="${ASAN_OPTIONS:-}:verify_asan_link_order=0"  # the shim comes before ASan's runtime
ulimit -c 0  # QUIT, XCPU and XFSZ would leave a core file
fixes 200000 big.log
./routelet --console big.log && mv big.html whole.html || fail "no reference page"
long=$(printf 'n%.0s' {1..250})

# Whether process PID holds its new page open: an unnamed file, or one under a temporary name.
writing() { ls -l "/proc/$1/fd" 2>/dev/null | grep -qE '/(\.rl[[:alnum:]]{6}|#[0-9]+ \(deleted\))$'; }
running() { local state; read -r _ _ state _ < "/proc/$1/stat" 2>/dev/null && [ "$state" != Z ]; }

interrupted=0 runs=0
for preload in "" "$shim"; do
  signals="TERM INT HUP ignored-HUP"
  [ -n "$preload" ] && signals+=" QUIT PIPE ALRM USR1 USR2 VTALRM PROF XCPU XFSZ"
  run() { LD_PRELOAD=$preload ./routelet --console "$@"; }
  for link in "ln -s" ln; do
    rm -f trip.*; fixes 3 trip.html; cp trip.html log.copy; $link trip.html trip.log
    fails_saying ログを上書きしない run trip.log && cmp -s trip.html log.copy || fail "$preload '$link' log replaced"
  done
  fixes 3 "$long.log"
  run "$long.log" && [ -s "$long.html" ] && rm "$long".* || fail "$preload a 255-byte page name"
  for case in $signals; do
    signal=${case#ignored-} ignore=${case%$signal}
    printf earlier > big.html
    files=$(ls -A)
    ([ -z "$ignore" ] || trap '' $signal; LD_PRELOAD=$preload exec ./routelet --console big.log >/dev/null 2>&1) & pid=$!
    until writing $pid || ! running $pid; do :; done
    kill -$signal $pid 2>/dev/null
    wait $pid
    status=$?; ended=$((128 + $(kill -l $signal))); ((++runs))
    [[ $status =~ ^(0|${ignore:-$ended})$ ]] || fail "$preload $case: exit status $status"
    [ "$(cat big.html)" = earlier ] && ((++interrupted)) || cmp -s big.html whole.html || fail "$preload $case: a partial page"
    [ "$(ls -A)" = "$files" ] || fail "$preload $case: a file left behind:" $(ls -A)
  done
done
echo "$interrupted of $runs runs were ended by the signal while the page was written"
finish
