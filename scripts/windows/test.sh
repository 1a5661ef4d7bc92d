#!/usr/bin/env bash
# Cross-builds the Windows program and tests (scripts/windows/build.sh) and runs the tests under
# wine through ctest. One wineserver is kept running for the whole ctest run, so that each test
# program does not start and stop wine's server anew (about 2.5 s each otherwise).
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
ctest --test-dir "$build" -j"$(nproc)" --output-on-failure
