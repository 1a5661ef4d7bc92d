#!/usr/bin/env bash
# Installs the build into a scratch prefix and checks the menu entry that comes with it: where it
# lands, that it starts the installed program's start window with the chosen files, that its icon
# comes with it, that file managers are offered it for NMEA logs and GPX tracks and nothing else, and (with desktop-file-validate, Debian
# package desktop-file-utils) that desktops accept it. (installed_program_test.sh runs the program.)
#   desktop_entry_test.sh BUILD_DIR
set -u
prefix=$(mktemp -d "${TMPDIR:-/tmp}/routelet-install-XXXXXX")
trap 'rm -rf "$prefix"' EXIT

fail() {
  echo "FAILED: $*" >&2
  exit 1
}

cmake --install "$1" --prefix "$prefix" >"$prefix/install.log" 2>&1 || { cat "$prefix/install.log" >&2; fail "cmake --install failed"; }
entry="$prefix/share/applications/routelet.desktop"
[[ -f "$entry" ]] || fail "no share/applications/routelet.desktop after installing"
field() { sed -n "s/^$1=//p" "$entry"; }
# The program named by Exec opens its start window, with the files a file manager hands over
# (each as an argument of its own) filled in as logs.
exec_line=" $(field Exec) "
[[ "$exec_line" == " routelet "* && "$exec_line" == *" %F "* && "$exec_line" == *" --start "* ]] || fail "Exec is '$(field Exec)'"
[[ -f "$prefix/share/icons/hicolor/scalable/apps/$(field Icon).svg" ]] || fail "no icon '$(field Icon)' installed"
# Offered for NMEA logs (the package installs their file type) and GPX tracks alone, never for
# all text or all XML.
[[ "$(field MimeType)" == "application/x-nmea;application/gpx+xml;" ]] || fail "MimeType is '$(field MimeType)', not the NMEA log and GPX types alone"
if command -v desktop-file-validate >/dev/null 2>&1; then
  desktop-file-validate "$entry" || fail "desktop-file-validate refused the entry"
else
  echo "note: desktop-file-validate is missing (Debian package desktop-file-utils); rules not checked"
fi
echo "passed: $entry"
