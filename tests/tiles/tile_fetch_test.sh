#!/usr/bin/env bash
# --single-file's map tiles against a tile server on 127.0.0.1: the first run fetches at most the
# cap, each request naming Routelet and its version, and the page carries the tiles; a second run
# takes them all from the cache; a server that refuses, stalls or is not there gives a page
# without tiles, a word in the summary and exit 0, within the requests' deadlines.
# The options, and --zone, are told in --help, the README and the man page made from --help.
# Usage: tile_fetch_test.sh PROGRAM SOURCE_FOLDER BUILD_FOLDER
source "$(dirname "$0")/../support/program_test.sh" "$1" "$(cat "$2/template.dat")"
server="$(dirname "$0")/tile_server.py"
cp "$2"/examples/kamo-river-ride.log "$2"/examples/*.jpg .
for option in --single-file --tile-source= --zone=; do
  for told in "$(LANG=C.UTF-8 LC_ALL= ./routelet --help)" "$(cat "$2/README.md")" "$(sed 's/\\-/-/g; s/\\f[BIRP]//g' "$3/man/man1/routelet.1")"; do
    grep -qe "$option" <<< "$told" || fail "$option is not told in: $(head -c 60 <<< "$told")"
  done
done
export XDG_CACHE_HOME="$work/cache"
servers=()
trap 'for pid in "${servers[@]}"; do kill "$pid" 2>/dev/null; done; chmod -R u+rwX "$work"; rm -rf "$work"' EXIT

# Starts a server in MODE logging to MODE.requests; sets $port. Waits at most 10 s for it.
start_server() {
  python3 "$server" "$1" "$work/$1.requests" "$work/$1.port" >/dev/null & servers+=($!)
  for _ in $(seq 200); do [ -s "$work/$1.port" ] && break; sleep 0.05; done
  port=$(cat "$work/$1.port")
}
# Converts the sample in a terminal (so that the summary is shown) with tiles from port $1;
# the summary goes to summary, the exit status to $status, the seconds taken to $seconds.
convert() {
  local started=$SECONDS
  script -qec "./routelet --console --single-file --tile-source=http://127.0.0.1:$1/{z}/{x}/{y}.png kamo-river-ride.log" /dev/null > summary
  status=$?
  seconds=$((SECONDS - started))
}
tiles_in_page() { grep -o '"[0-9]*/[0-9]*/[0-9]*":"data:image/png;base64,' kamo-river-ride.html | wc -l; }

start_server serve
convert "$port"
fetched=$(wc -l < serve.requests)
[ "$status" = 0 ] && [ "$fetched" -gt 0 ] && [ "$fetched" -le 400 ] || fail "first run: exit $status, $fetched requests"
grep -qv $'\tRoutelet/[0-9.]* ' serve.requests && fail "a request without Routelet's User-Agent: $(grep -v Routelet serve.requests | head -1)"
[ "$(tiles_in_page)" = "$fetched" ] || fail "the page carries $(tiles_in_page) of $fetched tiles"
grep -q "タイル$fetched/$fetched枚を埋め込みました（新たに取得$fetched枚）" summary || fail "first summary: $(cat summary)"
convert "$port"
[ "$(wc -l < serve.requests)" = "$fetched" ] || fail "the second run fetched $(($(wc -l < serve.requests) - fetched)) tiles"
grep -q "（新たに取得0枚）" summary && [ "$(tiles_in_page)" = "$fetched" ] || fail "second run from the cache: $(cat summary)"

rm -rf "$XDG_CACHE_HOME"
for mode in refuse stall closed; do
  if [ $mode = closed ]; then port=1; else start_server $mode; fi
  convert "$port"
  [ "$status" = 0 ] && [ -s kamo-river-ride.html ] && [ "$(tiles_in_page)" = 0 ] || fail "$mode: exit $status"
  grep -q 'タイルを取得できなかったため、地図の背景なしで書き出しました' summary || fail "$mode summary: $(cat summary)"
  [ "$seconds" -le 20 ] || fail "$mode took $seconds s"
  # The first refusal or failure ends the fetching: no request after those under way.
  [ $mode = closed ] || [ "$(wc -l < $mode.requests)" -le 2 ] || fail "$mode: $(wc -l < $mode.requests) requests"
done
finish
