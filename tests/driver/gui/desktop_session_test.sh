#!/usr/bin/env bash
# Drives the real program on a virtual display as a person would: finds its windows by title,
# presses keys in them, and checks what it leaves behind.
#   desktop_session_test.sh PROGRAM SCREENSHOT_DIR CASE
# CASE: missing-log, good-log, cancel-chooser or typed-name. Screenshots of the windows go to
# SCREENSHOT_DIR when ImageMagick's import is there. Exits 77 (skipped) without Xvfb or xdotool.
set -u
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$here/xvfb.sh"

program=$1
shots=$2
case_name=$3

require_command xdotool xdotool
start_xvfb
work=$(mktemp -d "${TMPDIR:-/tmp}/routelet-gui-XXXXXX")
trap 'stop_xvfb; rm -rf "$work"' EXIT

fail() {
  echo "FAILED ($case_name): $*" >&2
  [[ -s "$work/stderr" ]] && { echo "--- the program's stderr:" >&2; cat "$work/stderr" >&2; }
  exit 1
}

# Starts the program in the folder $work/logs with the given arguments.
run_program() {
  (cd "$work/logs" && exec "$program" --gui "$@" >"$work/stdout" 2>"$work/stderr") &
  program_pid=$!
}

# Prints the id of a visible window titled exactly $1, waiting up to 10 s. With $2 = box, only
# a message box counts: the progress window shares the program's title but not its size.
wait_for_window() {
  local title=$1 kind=${2:-any} id deadline
  deadline=$(($(date +%s%N) + 10000000000))
  while (($(date +%s%N) < deadline)); do
    for id in $(xdotool search --onlyvisible --name "^${title}\$" 2>/dev/null); do
      if [[ "$kind" == box && "$(window_size "$id")" == 281x40 ]]; then continue; fi
      echo "$id"
      return 0
    done
    kill -0 "$program_pid" 2>/dev/null || fail "the program ended before a window titled '$title' appeared"
    sleep 0.02
  done
  fail "no window titled '$title' within 10 s"
}

window_size() {
  xdotool getwindowgeometry "$1" 2>/dev/null | awk '/Geometry/ {print $2}'
}

# Prints the names of every visible window.
visible_windows() {
  local id
  for id in $(xdotool search --onlyvisible --name '.' 2>/dev/null); do xdotool getwindowname "$id"; done
}

# Gives window $1 the keyboard and presses key $2 in it, as a person would.
press() {
  xdotool windowfocus --sync "$1" && xdotool key --clearmodifiers "$2"
}

type_text() {
  xdotool type --delay 20 "$1"
}

# Waits up to 20 s for the program to end; sets program_status.
wait_for_exit() {
  local tries
  for ((tries = 0; tries < 2000; tries++)); do
    kill -0 "$program_pid" 2>/dev/null || break
    sleep 0.01
  done
  if kill -0 "$program_pid" 2>/dev/null; then
    echo "windows still open: $(visible_windows | tr '\n' ',')" >&2
    kill "$program_pid"
    fail "the program did not end within 20 s"
  fi
  wait "$program_pid"
  program_status=$?
}

expect_no_window_left() {
  local left
  left=$(visible_windows)
  [[ -z "$left" ]] || fail "windows left open: $left"
}

expect_status() {
  [[ "$program_status" == "$1" ]] || fail "exit status $program_status, expected $1"
}

# Saves a picture of window $1 as $2 in the screenshot folder, and checks that it is not a
# blank rectangle (a window that never got drawn has one colour).
screenshot() {
  command -v import >/dev/null 2>&1 || { echo "note: ImageMagick's import is missing, no screenshot"; return 0; }
  mkdir -p "$shots"
  import -window "$1" "$shots/$2" || fail "could not take the screenshot $2"
  local colours
  colours=$(identify -format '%k' "$shots/$2" 2>/dev/null || echo 0)
  ((colours > 2)) || fail "the screenshot $2 shows a blank window ($colours colours)"
  echo "screenshot: $shots/$2"
}

# Writes a log of $2 position sentences to $1: long enough that the run takes a while, so
# that its progress window can be seen.
write_log() {
  awk -v n="$2" 'BEGIN {
    for (i = 0; i < n; i++)
      printf "$GPRMC,%02d%02d%02d,A,3540.%04d,N,13945.%04d,E,10.0,90.0,010523,,,A\r\n",
             int(i / 3600) % 24, int(i / 60) % 60, i % 60, i % 10000, i % 10000
  }' >"$1"
}

mkdir -p "$work/logs"

case "$case_name" in
  missing-log)
    # A log that does not exist: its not-found box, then the run's error box, each closed with
    # Return; the progress window closes and the program ends with a failure.
    missing="$work/logs/存在しない track.log"
    run_program "$missing"
    box=$(wait_for_window Routelet box) || exit 1
    screenshot "$box" message.png
    press "$box" Return
    error_box=$(wait_for_window エラー box) || exit 1
    press "$error_box" Return
    wait_for_exit
    expect_status 1
    expect_no_window_left
    [[ -z "$(ls -A "$work/logs")" ]] || fail "files were written: $(ls "$work/logs")"
    ;;

  good-log)
    # A good log: the progress window shows while the page is made, then the page is there.
    write_log "$work/logs/track.log" 50000
    run_program "$work/logs/track.log"
    window=$(wait_for_window Routelet) || exit 1
    size=$(window_size "$window")
    [[ "$size" == "281x40" ]] || fail "the progress window is $size, expected 281x40"
    screenshot "$window" progress.png
    wait_for_exit
    expect_status 0
    expect_no_window_left
    [[ -s "$work/logs/track.html" ]] || fail "no page was written"
    grep -q '<' "$work/logs/track.html" || fail "the page holds no markup"
    ;;

  cancel-chooser)
    # No log named: the chooser opens, Escape cancels it, and nothing else happens.
    run_program
    dialog=$(wait_for_window GPSログ) || exit 1
    screenshot "$dialog" chooser.png
    press "$dialog" Escape
    wait_for_exit
    expect_status 0
    expect_no_window_left
    [[ -z "$(ls -A "$work/logs")" ]] || fail "files were written: $(ls "$work/logs")"
    [[ ! -s "$work/stdout" ]] || fail "the program printed: $(cat "$work/stdout")"
    ;;

  typed-name)
    # In the chooser's location box: a name that stands for no file is refused with a box and
    # the chooser stays; "track" typed alone then chooses track.log.
    write_log "$work/logs/track.log" 10
    run_program
    dialog=$(wait_for_window GPSログ) || exit 1
    press "$dialog" ctrl+l
    type_text nothing
    press "$dialog" Return
    refusal=$(wait_for_window Routelet box) || exit 1
    press "$refusal" Return
    dialog=$(wait_for_window GPSログ) || exit 1
    press "$dialog" ctrl+a
    type_text track
    # The location box may fill in the rest of the name; Delete takes that suggestion away so
    # that the name stays as typed.
    press "$dialog" Delete
    press "$dialog" Return
    wait_for_exit
    expect_status 0
    expect_no_window_left
    [[ -s "$work/logs/track.html" ]] || fail "track.log was not chosen: no track.html"
    [[ ! -e "$work/logs/nothing.html" ]] || fail "a page was written for a file that does not exist"
    ;;

  *)
    echo "unknown case: $case_name" >&2
    exit 2
    ;;
esac
echo "passed: $case_name"
