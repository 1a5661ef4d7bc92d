#!/usr/bin/env bash
# Runs a test program on a virtual X display of its own: with_xvfb.sh PROGRAM [ARGUMENTS...].
# Listing a gtest program's tests needs no display. Exits 77 (skipped) without Xvfb.
set -u
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$here/xvfb.sh"

for argument in "$@"; do
  [[ "$argument" == --gtest_list_tests ]] && exec "$@"
done

start_xvfb
"$@"
