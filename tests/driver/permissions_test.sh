#!/usr/bin/env bash
# The program does not do what the user could not do by plain writes and reads: a page the user
# may not write stays; a log in a folder the user may not search cannot be read, with the reason
# (not "not found"); a private page of another user that root replaces stays theirs and private.
# A photo folder the user may not read is a value not understood (exit 2, no page); a subfolder
# the user may not read, or too deep for a path, is counted in the summary on a terminal.
# Run as root, the user is nobody (setpriv); skipped when there is no such user to be.
# Usage: permissions_test.sh PROGRAM
source "$(dirname "$0")/../support/program_test.sh" "$1" "[numrecord]"
mkdir -p user/locked && fixes 3 user/trip.log && fixes 3 user/locked/trip.log && printf earlier > user/trip.html
long=$(printf 'd%.0s' {1..200}) && mkdir -p "user/photos/locked" "user/photos/deep$(printf "/$long%.0s" {1..21})"
fixes 3 user/walk.log && printf 'no photo' | tee user/photos/a.jpg > user/photos/locked/b.jpg
chmod 444 user/trip.html && chmod 000 user/locked user/photos/locked
as_user=()
if [ "$(id -u)" = 0 ]; then
  as_user=(setpriv --reuid=nobody --regid=nogroup --clear-groups)
  chown -R nobody:nogroup user
  "${as_user[@]}" test -x routelet || { echo "SKIPPED: cannot run as the unprivileged user nobody"; exit 77; }
fi
for case in "trip.log|エラー: user/trip.htmlは書きこみが許可されていないため" "locked/trip.log|Routelet: user/locked/trip.logを開けません（Permission denied）"; do
  fails_saying "^${case#*|}" "${as_user[@]}" ./routelet --console "user/${case%%|*}" && [ "$(cat user/trip.html)" = earlier ] ||
    fail "user/${case%%|*}: $(cat err)"
done
"${as_user[@]}" ./routelet --console --photos user/locked user/walk.log 2>err
[ $? = 2 ] && grep -q '：--photos user/locked（' err && [ ! -e user/walk.html ] || fail "--photos user/locked: $(cat err)"
script -qec "${as_user[*]} ./routelet --console --photos user/photos user/walk.log" /dev/null </dev/null >out
grep -q '写真0/1枚（撮影時刻なし1枚）。開けなかったフォルダが2個あり、その中の写真は探していません' out || fail "summary: $(cat out)"
if [ "$(id -u)" = 0 ]; then
  chmod 600 user/trip.html
  ./routelet --console user/trip.log && [ "$(stat -c '%a %U %G %s' user/trip.html)" = "600 nobody nogroup 1" ] ||
    fail "root's page for nobody: $(stat -c '%a %U %G %s' user/trip.html)"
fi
finish
