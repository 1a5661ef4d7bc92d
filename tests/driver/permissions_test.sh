#!/usr/bin/env bash
# The program does not do what the user could not do by plain writes and reads: a page the user
# may not write stays; a log in a folder the user may not search cannot be read, with the reason
# (not "not found"); a private page of another user that root replaces stays theirs and private.
# Run as root, the user is nobody (setpriv); skipped when there is no such user to be.
# Usage: permissions_test.sh PROGRAM
source "$(dirname "$0")/../support/program_test.sh" "$1" "[numrecord]"
mkdir -p user/locked && fixes 3 user/trip.log && fixes 3 user/locked/trip.log && printf earlier > user/trip.html
chmod 444 user/trip.html && chmod 000 user/locked
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
if [ "$(id -u)" = 0 ]; then
  chmod 600 user/trip.html
  ./routelet --console user/trip.log && [ "$(stat -c '%a %U %G %s' user/trip.html)" = "600 nobody nogroup 1" ] ||
    fail "root's page for nobody: $(stat -c '%a %U %G %s' user/trip.html)"
fi
finish
