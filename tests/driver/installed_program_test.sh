#!/usr/bin/env bash
# The installed program (cmake --install into a fresh prefix) finds its template under
# <prefix>/share/routelet and converts a log beside which there is no template; where the build
# has the desktop front end, the program finds its module under <prefix>/LIBDIR/routelet.
# Usage: installed_program_test.sh BUILD_DIR LIBDIR
set -euo pipefail
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
cmake --install "$1" --prefix "$prefix" >/dev/null
test -f "$prefix/share/routelet/template.dat" || { echo "no template installed"; exit 1; }
test ! -e "$prefix/bin/template.dat" || { echo "a template beside the installed program"; exit 1; }
test -f "$prefix/share/routelet/templates/gpx.dat" || { echo "the other templates are not installed"; exit 1; }
mkdir "$prefix/trip"
printf '$GPRMC,000000,A,3500.0000,N,13900.0000,E,0.0,0.0,010111,,\r\n' > "$prefix/trip/walk.log"
# No user's template: a configuration folder without one.
(cd / && HOME="$prefix" XDG_CONFIG_HOME="$prefix/config" "$prefix/bin/routelet" --console "$prefix/trip/walk.log")
grep -q '<html' "$prefix/trip/walk.html" || { echo "no page written"; exit 1; }

# The module, loaded by a --gui run: without a display to open, the run says so and reports on the
# terminal, as it would say that the module could not be loaded were it not found.
[[ -f "$1/routelet-desktop.so" ]] || exit 0
test -f "$prefix/$2/routelet/routelet-desktop.so" || { echo "no module installed in $2/routelet"; exit 1; }
test ! -e "$prefix/bin/routelet-desktop.so" || { echo "a module beside the installed program"; exit 1; }
rm "$prefix/trip/walk.html"
message=$(cd / && DISPLAY=:nonexistent GDK_BACKEND=x11 HOME="$prefix" XDG_CONFIG_HOME="$prefix/config" "$prefix/bin/routelet" --gui "$prefix/trip/walk.log" 2>&1)
[[ "$message" == "routelet: no display could be opened; reporting on the terminal" ]] || { echo "--gui: $message"; exit 1; }
grep -q '<html' "$prefix/trip/walk.html" || { echo "no page written by the --gui run"; exit 1; }
