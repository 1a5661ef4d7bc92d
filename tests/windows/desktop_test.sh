#!/usr/bin/env bash
# The Windows program's windows under wine on a virtual X display, driven as a person would:
# a missing log gives the progress window ("GPSデータ解析中"), the box "…が見つかりません" titled
# "Routelet", then "…が正しく読みこめません" titled "エラー", and a failed run; without a log the
# chooser "GPSログ" offers its filters in order, and a name typed in it is converted; --start opens
# the start window. Windows are found and
# read by scripts/windows/window_probe.cpp from inside wine, polled with a deadline; screenshots
# of each go to SCREENSHOT-FOLDER. wine runs its own desktop (wine's virtual desktop), so that the
# windows have their title bars.
#   desktop_test.sh ROUTELET.EXE SCREENSHOT-FOLDER WORK-FOLDER
set -u
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
program=$(realpath "$1") shots=$(realpath -m "$2") work=$(realpath -m "$3")
source "$root/tests/driver/gui/xvfb.sh"
require_command import imagemagick
prefix=$work/wineprefix probe=$work/window_probe.exe
fail() {
  echo "FAILED (desktop, $case_name): $*" >&2
  exit 1
}
run() { bash "$root/scripts/windows/wine.sh" "$prefix" "$@"; }

case_name=set-up
rm -rf "$work" && mkdir -p "$work/logs" "$shots"
x86_64-w64-mingw32-g++-posix -std=c++20 -O1 -municode -static -o "$probe" "$root/scripts/windows/window_probe.cpp" ||
  fail "the window probe did not build"
bash "$root/scripts/windows/wine-prefix.sh" "$prefix" || fail "no wine prefix"
run reg query 'HKCU\Software\Wine\Fonts\Replacements' /v 'MS Shell Dlg' >/dev/null 2>&1 ||
  fail "the prefix has no Japanese font in place of the dialogs' font"
# wine's desktop fills the screen, so that screen and desktop share their coordinates.
run reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null 2>&1 &&
  run reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1280x1024 /f >/dev/null 2>&1 || fail "no virtual desktop"
start_xvfb
export WINEPREFIX=$prefix WINEDEBUG=-all
wineserver -p
trap 'WINEPREFIX=$prefix wineserver -k 2>/dev/null; stop_xvfb' EXIT
run cmd /c exit </dev/null >/dev/null 2>&1

# Starts the program in the log folder; its exit status is kept in $work/status.
start_program() {
  (cd "$work/logs" && run "$program" --gui "$@" >"$work/stdout" 2>"$work/stderr"; echo $? >"$work/status") &
}
# wait_for TITLE CLASS: sets `window`, `at` (X Y WIDTH HEIGHT) and `controls` (its controls' texts).
wait_for() {
  local found
  found=$(run "$probe" wait "$1" "$2" 60 | tr -d "\r") && [[ -n "$found" ]] || fail "no window '$1' ($2) within 60 s"
  window=${found%% *} at=${found#* }
  controls=$(run "$probe" texts "$window" | tr -d '\r')
}
probe() { run "$probe" "$@" || fail "window_probe $* failed"; }
# Saves the screen's part at X Y WIDTH HEIGHT as $1 once it is drawn: two captures in a row alike,
# with more than the two colours of an empty frame.
screenshot() {
  local x y width height deadline=$((SECONDS + 60))
  read -r x y width height <<<"$2"
  until capture "$x" "$y" "$width" "$height" "$shots/$1" && [[ "$(pixels "$shots/$1")" == "$(pixels "$work/last.png")" ]] &&
    (($(identify -format '%k' "$shots/$1") > 2)); do
    ((SECONDS < deadline)) || fail "$1 was not drawn within 60 s"
    cp "$shots/$1" "$work/last.png"
  done
}
capture() { import -window root -crop "${3}x${4}+${1}+${2}" +repage "$5" 2>/dev/null; }
pixels() { [[ -f "$1" ]] && convert "$1" rgb:- | md5sum; }
# Waits (bounded) for the program to end, and checks its exit status.
finish() {
  local deadline=$((SECONDS + 90))
  until [[ -s "$work/status" ]]; do
    ((SECONDS < deadline)) || fail "the program did not end within 90 s"
    sleep 0.05
  done
  [[ "$(cat "$work/status")" == "$1" ]] || fail "exit status $(cat "$work/status"), expected $1; stderr: $(cat "$work/stderr")"
  rm -f "$work/status"
}

case_name=missing-log
start_program "$(winepath -w "$work/logs")\\存在しない track.log"
wait_for Routelet '#32770'
[[ "$controls" == *"が見つかりません"* ]] || fail "the first box says: $controls"
box=$window box_at=$at
wait_for Routelet RouteletProgress
[[ "$controls" == "Static 0 GPSデータ解析中" ]] || fail "the progress window says: $controls"
# The box opens over the progress window: moved below it for the progress window's picture.
read -r x y _ height <<<"$at"
probe move "$box" "$x" $((y + height + 20))
screenshot progress.png "$at"
wait_for Routelet '#32770'
screenshot message.png "$at"
probe press "$box" 1
wait_for エラー '#32770'
[[ "$controls" == *"が正しく読みこめません"* ]] || fail "the error box says: $controls"
screenshot error.png "$at"
probe press "$window" 1
finish 1

case_name=chooser
printf '$GPRMC,0000%02d,A,3540.0000,N,13945.%04d,E,10.0,90.0,010523,,,A\r\n' 0 0 1 10 2 20 >"$work/logs/track.log"
start_program
wait_for GPSログ '#32770'
# The entries of the file type list (control 1136, cmb1 of the common dialogs).
filters=$(awk '/^ComboBox 1136 / { list = 1; next } list && sub(/^item /, "") { print; next } { list = 0 }' <<<"$controls" | paste -sd '|')
[[ "$filters" == "GPSログ(*.log)|NMEAログ(*.nmea)|テキストファイル(*.txt)|GPX/TCX/KML(*.gpx;*.tcx;*.kml)|"*"(*.log;*.nmea;*.txt;*.gpx;*.tcx;*.kml;*.gz)|すべてのファイル" ]] ||
  fail "the filters: $filters"
screenshot chooser.png "$at"
# A name typed into the name field (whole: wine's dialog, unlike Windows', does not try the
# default extension on a name that names no file) is converted.
probe set "$window" 1148 track.log
probe press "$window" 1
finish 0
[[ -s "$work/logs/track.html" ]] || fail "no page after choosing track.log: $(ls "$work/logs")"

case_name=start
# --start opens the start window, with the log named after it in its list; Close ends the run.
start_program --start track.log
wait_for Routelet RouteletStart
[[ "$controls" == *"track.log"* ]] || fail "the start window holds: $controls"
screenshot start.png "$at"
probe press "$window" 2
finish 0
echo "passed: desktop (screenshots in $shots)"
