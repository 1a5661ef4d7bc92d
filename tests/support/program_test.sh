# Sourced by the shell tests that run the built program: a fresh folder $work, made the current
# one, holding a copy of the program (routelet) with TEMPLATE beside it, fail() to note a failed
# check, and finish to end with the test's status. Usage: source program_test.sh PROGRAM TEMPLATE
set -uo pipefail
work=$(mktemp -d)
trap '[ $BASHPID = '$$' ] && chmod -R u+rwX "$work" && rm -rf "$work"' EXIT  # not in subshells
chmod 755 "$work"
cp "$1" "$work/routelet"
# The program's modules go with it, where the build has them.
for built_module in "$(dirname "$1")"/routelet-{photo-formats,tile-fetch}.so; do
  [ ! -f "$built_module" ] || cp "$built_module" "$work/"
done
printf '%s' "$2" > "$work/template.dat"
cd "$work" || exit 1
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
finish() { [ "$failures" -eq 0 ] && echo "all checks passed"; exit $((failures > 0)); }
# Whether COMMAND... exits with status 1 and writes a line matching PATTERN to stderr, kept in err:
# fails_saying PATTERN COMMAND...
fails_saying() { local pattern=$1; shift; "$@" 2>err; [ $? = 1 ] && grep -q -- "$pattern" err; }
# One fix a second from midnight: fixes LINES FILE
fixes() {
  awk -v n="$1" 'BEGIN { for (i = 0; i < n; i++) printf "$GPRMC,%02d%02d%02d,A,3500.%04d,N,13900.0000,E,0.0,0.0,010111,,\r\n", i / 3600 % 24, i / 60 % 60, i % 60, i % 10000 }' > "$2"
}
