#!/usr/bin/env bash
# Cross-builds the Windows program and tests (scripts/windows/build.sh) and runs the tests under
# wine through ctest. One wineserver is kept running for the whole ctest run, so that each test
# program does not start and stop wine's server and background programs anew (about 2.5 s each
# otherwise).
# Usage: test.sh [BUILD-FOLDER]   (default build-win/)
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
build=$(realpath -m "${1:-"$root/build-win"}")
bash "$root/scripts/windows/build.sh" "$build"
prefix=$build/wineprefix
bash "$root/scripts/windows/wine-prefix.sh" "$prefix"
export WINEPREFIX=$prefix WINEDEBUG=-all
wineserver -p
trap 'WINEPREFIX=$prefix wineserver -k 2>/dev/null || true' EXIT
# wine's own background programs (services, explorer) start with the first program and live as
# long as the server. Started here with no pipe attached, so that none holds the output pipe of
# a test's run open, which would keep ctest waiting for its end.
bash "$root/scripts/windows/wine.sh" "$prefix" cmd /c exit </dev/null >/dev/null 2>&1
ctest --test-dir "$build" -j"$(nproc)" --output-on-failure
