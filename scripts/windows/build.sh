#!/usr/bin/env bash
# Cross-builds the Windows program (and its unit tests) on Debian into build-win/ (or the given
# folder), with mingw-w64 and the toolchain in cmake/mingw-w64-x86_64.cmake. Tests then run
# under wine: ctest --test-dir build-win (each starts through scripts/windows/wine.sh, which makes
# the wine prefix build-win/wineprefix on first use).
# Extra arguments after the folder go to CMake's configure step.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
build=${1:-"$root/build-win"}
shift || true
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" "$@" >/dev/null
cmake --build "$build" -j"$(nproc)"
