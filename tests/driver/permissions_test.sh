#!/usr/bin/env bash
# The program does not do what the user could not do by plain writes and reads: a page the user
# may not write stays; a log in a folder the user may not search cannot be read, with the reason
# (it is not "not found"); a private page of another user that root replaces stays theirs and
# private. Run as root, the user is nobody (setpriv); skipped when there is no such user to be.
# Usage: permissions_test.sh PROGRAM
set -uo pipefail
source "$(dirname "$0")/../support/program_test.sh" "$1" "[recordlist]"$'\r\n*recordlist\r\n[index]'
cd "$work"
mkdir -p user/locked
fixes 3 user/trip.log
fixes 3 user/locked/trip.log
printf earlier > user/trip.html
chmod 444 user/trip.html
chmod 000 user/locked
as_user=()
if [ "$(id -u)" = 0 ]; then
  as_user=(setpriv --reuid=nobody --regid=nogroup --clear-groups)
  chown -R nobody:nogroup user
  "${as_user[@]}" test -x routelet || { echo "SKIPPED: cannot run as the unprivileged user nobody"; exit 77; }
fi

"${as_user[@]}" ./routelet --console user/trip.log 2>err
[ $? = 1 ] && grep -q '^エラー: user/trip.htmlは書きこみが許可されていない' err && [ "$(cat user/trip.html)" = earlier ] ||
  fail "a write-protected page was replaced: $(cat err)"
"${as_user[@]}" ./routelet --console user/locked/trip.log 2>err
[ $? = 1 ] && grep -q '^Routelet: user/locked/trip.logを開けません（Permission denied）' err ||
  fail "a log in a folder that may not be searched: $(cat err)"

if [ "$(id -u)" = 0 ]; then
  chmod 600 user/trip.html
  ./routelet --console user/trip.log && [ "$(stat -c '%a %U %G' user/trip.html)" = "600 nobody nogroup" ] &&
    [ "$(cat user/trip.html)" != earlier ] || fail "root's page for nobody: $(stat -c '%a %U %G' user/trip.html)"
else
  echo "not root: a page of another user is not tried"
fi
finish
