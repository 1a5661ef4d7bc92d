#!/usr/bin/env bash
# Runs a Windows program under wine in the project's own prefix, made on first use
# (wine-prefix.sh). CMake's cross-compiling emulator: ctest and build steps start every .exe
# through it. Usage: wine.sh PREFIX-FOLDER PROGRAM.exe [ARGUMENTS...]
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
prefix=$(realpath -m "${1:?usage: wine.sh PREFIX-FOLDER PROGRAM [ARGUMENTS...]}")
shift
if [[ ! -f "$prefix/.routelet-ready" || ! -f "$prefix/locales/.made" ]]; then
  # Tests run side by side: one makes the prefix, the others wait for it.
  mkdir -p "$(dirname "$prefix")"
  exec 9>"$prefix.lock"
  flock 9
  bash "$here/wine-prefix.sh" "$prefix"
  flock -u 9
fi
export WINEPREFIX=$prefix WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
# The host's locale decides wine's languages. Its character set stays C.UTF-8's, which is
# always there and lets wine open Japanese names; LC_MESSAGES, a locale of the prefix's own
# (wine-prefix.sh), gives wine's UI language: Japanese, the language of the program's described
# texts and boxes, unless ROUTELET_WINE_LOCALE names another (en_US.UTF-8: an English UI).
unset LC_ALL
export LOCPATH=$prefix/locales LANG=C.UTF-8 LC_CTYPE=C.UTF-8 LC_MESSAGES=${ROUTELET_WINE_LOCALE:-ja_JP.UTF-8}
exec wine "$@"
