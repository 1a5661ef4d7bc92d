#!/usr/bin/env bash
# Runs a Windows program under wine in the project's own prefix, made on first use
# (wine-prefix.sh). CMake's cross-compiling emulator: ctest and build steps start every .exe
# through it. Usage: wine.sh PREFIX-FOLDER PROGRAM.exe [ARGUMENTS...]
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
prefix=$(realpath -m "${1:?usage: wine.sh PREFIX-FOLDER PROGRAM [ARGUMENTS...]}")
shift
if [[ ! -f "$prefix/.routelet-ready" ]]; then
  # Tests run side by side: one makes the prefix, the others wait for it.
  mkdir -p "$(dirname "$prefix")"
  exec 9>"$prefix.lock"
  flock 9
  bash "$here/wine-prefix.sh" "$prefix"
  flock -u 9
fi
export WINEPREFIX=$prefix WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
# The host's locale decides wine's languages; C.UTF-8 is always there and lets wine open Japanese
# names. ROUTELET_WINE_LOCALE gives one run another (wine takes a locale's language from its name
# even where the host has no such locale installed): the UI-language tests.
export LC_ALL=${ROUTELET_WINE_LOCALE:-C.UTF-8}
exec wine "$@"
