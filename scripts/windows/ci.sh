#!/usr/bin/env bash
# The Windows part of continuous integration, on Debian: installs the packages (scripts/deps/),
# cross-builds the program and its tests, runs the unit tests and the end-to-end cases under
# wine through ctest (scripts/windows/test.sh), makes the zip and the installer with cpack, then
# runs the desktop test (Xvfb + wine; screenshots in BUILD-FOLDER/screenshots/) and the
# installer's test (its sample page compared with the Linux program's when build/routelet is
# there). Prints the time of each step. Usage: ci.sh [BUILD-FOLDER]   (default build-win/)
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
build=$(realpath -m "${1:-"$root/build-win"}")
step() {
  local started=$SECONDS
  echo "== $1" >&2
  "${@:2}"
  echo "== $1: $((SECONDS - started)) s" >&2
}
packages() {
  rm -f "$build"/routelet-*-win64.zip "$build"/routelet-*-win64-setup.exe
  (cd "$build" && cpack -G "ZIP;NSIS" >/dev/null)
  # The zip holds the program, the templates and the READMEs in one folder.
  unzip -Z1 "$build"/routelet-*-win64.zip | sed 's|^[^/]*/||; /^$/d' | LC_ALL=C sort | paste -sd ' ' |
    grep -qx 'README-en.txt README-ja.txt routelet.exe template.dat template.en.dat templates/ templates/README.md templates/csv.dat templates/gpx.dat templates/kml.dat templates/plain-table.dat' ||
    { echo "the zip holds: $(unzip -Z1 "$build"/routelet-*-win64.zip | paste -sd ' ')" >&2; return 1; }
}
linux_program=()
[[ -x "$root/build/routelet" ]] && linux_program=("$root/build/routelet")

started=$SECONDS
step "packages for the tests" bash "$root/scripts/install-deps.sh"
step "cross-build, unit and end-to-end tests under wine" bash "$root/scripts/windows/test.sh" "$build"
step "zip and installer (cpack)" packages
# The two tests side by side: each has a wine prefix (and the desktop test an X display) of its own.
desktop_and_installer_tests() {
  bash "$root/tests/windows/installer_test.sh" "$build"/routelet-*-win64-setup.exe "$build/installer-test" \
    "${linux_program[@]}" >"$build/installer-test.log" 2>&1 &
  local installer=$! desktop=0
  bash "$root/tests/windows/desktop_test.sh" "$build/routelet.exe" "$build/screenshots" "$build/desktop-test" || desktop=$?
  wait "$installer" && cat "$build/installer-test.log" || { cat "$build/installer-test.log" >&2; return 1; }
  return "$desktop"
}
step "desktop and installer tests" desktop_and_installer_tests
echo "Windows: all passed in $((SECONDS - started)) s" >&2
