#!/usr/bin/env bash
# The desktop front end's module (routelet-desktop.so): only a run that may show a window loads it,
# so --help, --version and --console never map GTK. A program whose module is missing or cannot be
# loaded reports on the terminal as it does without a display: a --gui run says why in one line,
# a run that only defaults to the desktop says nothing.
# Usage: desktop_module_test.sh PROGRAM MODULE
module=$(realpath "$2")
source "$(dirname "$0")/../../support/program_test.sh" "$1" "[numrecord]"
fixes 3 trip.log
# A display that cannot be opened, and no Wayland: a loaded module then fails over to the terminal.
export DISPLAY=:nonexistent GDK_BACKEND=x11
unset WAYLAND_DISPLAY
maps_gtk() { LD_DEBUG=libs "$@" >/dev/null 2>libs; grep -q 'libgtk-3\.so' libs; }
cp "$module" routelet-desktop.so
maps_gtk ./routelet --gui trip.log || fail "--gui did not load GTK: the check below would prove nothing"
for args in --help --version "--console trip.log"; do
  ! maps_gtk ./routelet $args || fail "routelet $args loaded GTK"
done
./routelet --gui trip.log 2>err && [ "$(cat err)" = "routelet: no display could be opened; reporting on the terminal" ] ||
  fail "the module beside the program: $(cat err)"

libm=$(ldd ./routelet | awk '$1 ~ /^libm\.so/ { print $3 }')
for case in "missing|cannot open shared object file" "not a library|file too short" "a library without the entry point|undefined symbol"; do
  rm -f routelet-desktop.so trip.html
  case ${case%%|*} in
    "not a library") : > routelet-desktop.so ;;
    "a library without the entry point") cp "$libm" routelet-desktop.so ;;
  esac
  ./routelet --gui trip.log 2>err && [ "$(cat trip.html)" = 3 ] && [ "$(wc -l < err)" = 1 ] &&
    grep -q "^routelet: the desktop front end could not be loaded (.*routelet-desktop\.so: ${case#*|}.*); reporting on the terminal$" err ||
    fail "--gui, module ${case%%|*}: $(cat err)"
  rm -f trip.html
  ./routelet trip.log 2>err && [ "$(cat trip.html)" = 3 ] && [ ! -s err ] || fail "no option, module ${case%%|*}: $(cat err)"
done
finish
