#!/usr/bin/env bash
# Installs what the tests need, builds, and runs the whole test suite: the Linux build's, then the
# Windows build's under wine (scripts/windows/ci.sh). Fails when a test fails.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
bash "$root/scripts/install-deps.sh"
bash "$root/scripts/build.sh" "$root/build"
ctest --test-dir "$root/build" --output-on-failure -j"$(nproc)"
bash "$root/scripts/windows/ci.sh"
