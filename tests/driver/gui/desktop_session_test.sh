#!/usr/bin/env bash
# Drives the real program on a virtual display as a person would (finds its windows by title, presses keys
# in them, checks what it leaves behind): desktop_session_test.sh PROGRAM SCREENSHOT_DIR missing-log|good-log|
# chooser|chooser-fits|start|start-shots [PHOTOS_DIR]. The screen is $XVFB_SCREEN (xvfb.sh). Screenshots of the windows go to SCREENSHOT_DIR with ImageMagick's import. Exits 77 without Xvfb or xdotool.
set -u
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$here/xvfb.sh"
program=$1 shots=$2 case_name=$3 photos=${4:-}

require_command xdotool xdotool
require_command xprop x11-utils
start_xvfb
logs="$XVFB_HOME/logs"
mkdir "$logs"

fail() {
  echo "FAILED ($case_name): $*" >&2
  echo "windows open: $(visible_windows | paste -sd ,)" >&2
  [[ -s "$XVFB_HOME/stderr" ]] && { echo "--- the program's stderr:" >&2; cat "$XVFB_HOME/stderr" >&2; }
  kill "${program_pid:-}" 2>/dev/null
  exit 1
}

# wait_until SECONDS WHAT COMMAND...: runs COMMAND every 20 ms until it succeeds, or fails "WHAT within SECONDS s".
wait_until() {
  local seconds=$1 what=$2 deadline=$(($(date +%s%N) + $1 * 1000000000))
  shift 2
  until "$@"; do
    (($(date +%s%N) < deadline)) || fail "$what within $seconds s"
    sleep 0.02
  done
}

# Starts the program in $logs with --gui; run_start starts its start window instead. Not with the test's end of the log pipe (fd 4), or it would wait for its own writing forever.
run_program() {
  (cd "$logs" && exec "$program" --gui "$@" >"$XVFB_HOME/stdout" 2>"$XVFB_HOME/stderr" 4>&-) &
  program_pid=$!
}

run_start() {
  (cd "$logs" && exec "$program" --start "$@" >"$XVFB_HOME/stdout" 2>"$XVFB_HOME/stderr" 4>&-) &
  program_pid=$!
}

program_ended() { ! kill -0 "$program_pid" 2>/dev/null; }
visible_windows() { xdotool search --onlyvisible --name . getwindowname %@ 2>/dev/null; }

# Whether window $1 is a dialog (a message box, the last box, a chooser) by the type it declares. Its
# size would not tell: the progress window, titled as the program too, is not yet 281 x 40 in the
# moment it is mapped, and a box found that way vanishes under the keys meant for the real one.
is_dialog() { xprop -id "$1" _NET_WM_WINDOW_TYPE 2>/dev/null | grep -q '_NET_WM_WINDOW_TYPE_DIALOG'; }

# Sets `window` to a visible window titled exactly $1. With $2 = box, only a dialog counts.
find_window() {
  local id
  for id in $(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null); do
    [[ "${2:-}" == box ]] && ! is_dialog "$id" && continue
    window=$id
    return 0
  done
  program_ended && fail "the program ended before a window titled '$1' appeared"
  return 1
}

wait_for_window() { wait_until 60 "no window titled '$1'" find_window "$@"; }

# Gives window $1 the keyboard and presses key $2 in it, as a person would.
press() { xdotool windowfocus --sync "$1" && xdotool key --clearmodifiers "$2"; }
# Gives window $1 the keyboard and types text $2 into its focused field.
type_in() { xdotool windowfocus --sync "$1" && xdotool type --delay 20 "$2"; }

# The screen's height, and a window's height and bottom edge (its top plus its height).
screen_height() { xdotool getdisplaygeometry | awk '{print $2}'; }
window_height() { xdotool getwindowgeometry "$1" | awk -F'[x ]' '/Geometry/ {print $NF}'; }
window_bottom() { xdotool getwindowgeometry "$1" | awk -F'[ ,x]+' '/Position/ {y=$4} /Geometry/ {h=$NF} END {print y + h}'; }

# A window taller than 90% of the screen (the work area: Xvfb has no panels), or reaching past
# its bottom, has its buttons out of reach.
fits() {
  local height bottom limit
  height=$(window_height "$1") bottom=$(window_bottom "$1") limit=$(($(screen_height) * 9 / 10))
  ((height <= limit && bottom <= $(screen_height))) || fail "$2 is $height px high ending at $bottom, the limit is $limit"
}

gone() { ! xdotool search --onlyvisible --name . 2>/dev/null | grep -qx "$1"; }
none_titled() { [[ -z "$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null)" ]]; }
# The last box: a dialog titled as the program (the start window, one too, has gone by then); sets
# `window`.
last_box() { find_window Routelet box; }

# Makes a Japanese locale for the program (Debian package locales) in $XVFB_HOME/locales; 1 when it cannot.
japanese_locale() {
  mkdir -p "$XVFB_HOME/locales"
  localedef -i ja_JP -f UTF-8 "$XVFB_HOME/locales/ja_JP.UTF-8" >/dev/null 2>&1
}

# A log of position sentences from 06:00:00 to 06:20:00 UTC on 3 April 2010, one a minute: the
# sample photos were taken at 07:08:09 on a camera keeping +01:00, 06:08:09 UTC.
write_april_log() {
  awk 'BEGIN { for (i = 0; i <= 20; i++) printf "$GPRMC,06%02d00,A,3540.%04d,N,13945.%04d,E,10.0,90.0,030410,,,A\r\n", i, i, i }'
}

# Saves a picture of window $1 as $2 in the screenshot folder once the window is drawn: until then
# it shows at most the two colours of the bare screen. The window stays open until the test acts,
# so import always finds it; were it gone, import would wait for a click: the time limit fails that.
screenshot() {
  command -v import >/dev/null 2>&1 || { echo "note: ImageMagick's import is missing, no screenshot"; return 0; }
  mkdir -p "$shots"
  wait_until 60 "the window of $2 was not drawn" drawn "$1" "$shots/$2"
}
drawn() {
  timeout 30 import -window "$1" "$2" || fail "import could not capture window $1 for $(basename "$2")"
  (($(identify -format '%k' "$2" 2>/dev/null || echo 0) > 2))
}

# finish STATUS [FILE...]: the program ends by itself with STATUS, printing nothing, with no
# window left open, and the log folder then holds exactly the FILEs.
finish() {
  wait_until 90 "the program did not end" program_ended
  wait "$program_pid" && status=0 || status=$?
  ((status == $1)) || fail "exit status $status, expected $1"
  [[ -z "$(visible_windows)" ]] || fail "windows left open"
  [[ ! -s "$XVFB_HOME/stdout" ]] || fail "the program printed: $(cat "$XVFB_HOME/stdout")"
  [[ "$(LC_ALL=C ls -A "$logs" | paste -sd ' ')" == "${*:2}" ]] || fail "the log folder holds: $(ls -A "$logs"), expected: ${*:2}"
}

# Prints a log of $1 position sentences.
write_log() {
  awk -v n="$1" 'BEGIN { for (i = 0; i < n; i++) printf "$GPRMC,%02d%02d%02d,A,3540.%04d,N,13945.%04d,E,10.0,90.0,010523,,,A\r\n",
                                                          int(i / 3600) % 24, int(i / 60) % 60, i % 60, i % 10000, i % 10000 }'
}

case "$case_name" in
  missing-log)
    # A log that does not exist: its not-found box, then the run's error box, each closed with
    # Return; the progress window closes and the program ends with a failure.
    run_program "$logs/存在しない track.log"
    wait_for_window Routelet box
    screenshot "$window" message.png
    press "$window" Return
    wait_for_window エラー box
    press "$window" Return
    finish 1
    ;;

  good-log)
    # A good log, with --open: the progress window shows while the log is read (the log is a pipe,
    # written only once the window was seen, so it stays until then); then the page is there and
    # goes to the desktop's default handler for pages, as its URI.
    # The session's default handler of pages is a stand-in browser that writes the URI it gets to $XVFB_HOME/opened
    # (whole, through a rename). X-GIO-NoFuse: GIO hands it the URI as it is, not a file:// URI turned into a path.
    mkdir -p "$XDG_DATA_HOME/applications" "$XDG_CONFIG_HOME"
    printf '#!/bin/sh\nprintf %%s "$1" >"%s" && mv "%s" "%s"\n' "$XVFB_HOME/uri" "$XVFB_HOME/uri" "$XVFB_HOME/opened" >"$XVFB_HOME/browser"
    chmod +x "$XVFB_HOME/browser"
    printf '[Desktop Entry]\nType=Application\nName=Stub\nExec=%s %%u\nMimeType=text/html;\nX-GIO-NoFuse=true\n' "$XVFB_HOME/browser" \
      >"$XDG_DATA_HOME/applications/stub-browser.desktop"
    printf '[Default Applications]\ntext/html=stub-browser.desktop\n' >"$XDG_CONFIG_HOME/mimeapps.list"
    mkfifo "$logs/track.log"
    exec 4<>"$logs/track.log"
    run_program --open "$logs/track.log"
    wait_for_window Routelet
    screenshot "$window" progress.png
    write_log 500 >&4  # within the pipe's buffer: never waits, whatever the program does
    exec 4>&-
    finish 0 track.html track.log
    grep -q '<' "$logs/track.html" || fail "the page holds no markup"
    wait_until 60 "no browser was started" test -e "$XVFB_HOME/opened"
    [[ "$(cat "$XVFB_HOME/opened")" == "file://$logs/track.html" ]] || fail "the browser got: $(cat "$XVFB_HOME/opened")"
    ;;

  chooser)
    # No log named: the chooser opens; Escape cancels it, and nothing else happens.
    write_log 10 >"$logs/track.log"
    run_program
    wait_for_window GPSログ
    screenshot "$window" chooser.png
    press "$window" Escape
    finish 0 track.log
    # In its location box a name that stands for no file is refused with a box and the chooser stays;
    # "track" typed alone then chooses track.log. Delete takes away what the location box may have
    # filled in after it, so that the name stays as typed.
    run_program
    wait_for_window GPSログ
    press "$window" ctrl+l
    xdotool type --delay 20 nothing
    press "$window" Return
    wait_for_window Routelet box
    press "$window" Return
    wait_for_window GPSログ
    press "$window" ctrl+a
    xdotool type --delay 20 track
    press "$window" Delete
    press "$window" Return
    finish 0 track.html track.log
    ;;

  chooser-fits)
    # The chooser stays within 90% of the screen's height, whatever the screen.
    run_program
    wait_for_window GPSログ
    fits "$window" "the chooser"
    screenshot "$window" "chooser-$XVFB_SCREEN.png"
    press "$window" Escape
    finish 0
    ;;

  start)
    # The start window filled by the keyboard alone, in Japanese: a log through the chooser, a
    # card's folder through the folder chooser, a camera on +01:00, no page opened. The page lists
    # the card's photos (taken at 07:08:09 camera time), the last box tells it, Return closes it.
    japanese_locale || { echo "SKIPPED: no Japanese locale could be made (Debian package locales)"; exit 77; }
    export LOCPATH="$XVFB_HOME/locales" LANG=ja_JP.UTF-8 LANGUAGE=
    write_april_log >"$logs/trip.log"
    mkdir -p "$XVFB_HOME/card/DCIM/100TEST"
    cp "$photos/exif/original-only-be.jpg" "$XVFB_HOME/card/DCIM/100TEST/a.jpg"
    cp "$photos/exif/jfif-and-xmp-first-le.jpg" "$XVFB_HOME/card/DCIM/100TEST/b.jpg"
    run_start
    wait_for_window Routelet
    start_window=$window
    fits "$start_window" "the start window"
    press "$start_window" alt+a
    wait_for_window GPSログ
    press "$window" ctrl+l
    type_in "$window" "$logs/trip.log"
    press "$window" Delete  # what the location box may have filled in after the name
    press "$window" Return
    wait_until 60 "the chooser did not close" none_titled GPSログ
    press "$start_window" alt+f
    wait_for_window 写真のフォルダ
    press "$window" ctrl+l
    type_in "$window" "$XVFB_HOME/card/DCIM"
    press "$window" Delete
    press "$window" Return
    wait_until 60 "the folder chooser did not close" none_titled 写真のフォルダ
    press "$start_window" alt+z
    press "$start_window" ctrl+a
    type_in "$start_window" +01:00
    press "$start_window" alt+d
    screenshot "$start_window" start-filled.png
    press "$start_window" alt+v
    wait_until 60 "the start window did not close" gone "$start_window"
    wait_until 90 "no last box" last_box
    screenshot "$window" last-box.png
    press "$window" Return
    finish 0 trip.html trip.log
    for photo in a.jpg b.jpg; do grep -q "DCIM/100TEST/$photo" "$logs/trip.html" || fail "the page does not list $photo"; done
    # The next start has the choices: Convert at once, with the log named on the command line,
    # gives the same page.
    grep -qx 'camera-zone=+01:00' "$XDG_CONFIG_HOME/routelet/start.conf" || fail "the zone was not kept: $(cat "$XDG_CONFIG_HOME/routelet/start.conf")"
    rm "$logs/trip.html"
    run_start "$logs/trip.log"
    wait_for_window Routelet
    start_window=$window
    press "$start_window" alt+v
    wait_until 60 "the start window did not close" gone "$start_window"
    wait_until 90 "no last box" last_box
    press "$window" Return
    finish 0 trip.html trip.log
    grep -q "DCIM/100TEST/a.jpg" "$logs/trip.html" || fail "the next start did not keep the photo folder and the zone"
    ;;

  start-shots)
    # The start window in both languages, for the eye: start-ja-<screen>.png and start-en-<screen>.png.
    japanese_locale || { echo "SKIPPED: no Japanese locale could be made (Debian package locales)"; exit 77; }
    export LOCPATH="$XVFB_HOME/locales" LANGUAGE=
    for LANG in ja_JP.UTF-8 en_US.UTF-8; do
      export LANG
      run_start
      wait_for_window Routelet
      fits "$window" "the start window ($LANG)"
      screenshot "$window" "start-${LANG%%_*}-$XVFB_SCREEN.png"
      press "$window" Escape
      finish 0
    done
    ;;

  *) echo "unknown case: $case_name" >&2 && exit 2 ;;
esac
echo "passed: $case_name"
