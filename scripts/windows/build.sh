#!/usr/bin/env bash
# Cross-builds the Windows program (and its unit tests) on Debian into build-win/ (or the given
# folder), with mingw-w64 and the toolchain in cmake/mingw-w64-x86_64.cmake. Tests then run
# under wine: ctest --test-dir build-win (each starts through scripts/windows/wine.sh, which makes
# the wine prefix build-win/wineprefix on first use).
# expat (GPX, TCX and KML files) is cross-built first from Debian's source package into
# BUILD-FOLDER/expat (scripts/windows/expat.sh; once: it is kept there).
# Extra arguments after the folder go to CMake's configure step.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
build=${1:-"$root/build-win"}
shift || true
bash "$root/scripts/windows/expat.sh" "$build/expat"
expat_config=$(compgen -G "$build/expat/lib/cmake/expat-*/expat-config.cmake" | head -n1)
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" -Dexpat_DIR="$(dirname "$expat_config")" "$@" >/dev/null
cmake --build "$build" -j"$(nproc)"
