#!/usr/bin/env bash
# Builds the fuzz targets with clang and runs each for SECONDS (default 60) on a corpus seeded
# from the test data (and from ../shared/data when it is there). Inputs that once crashed a
# target are replayed first. Fails on any finding; a crashing input is left in build-fuzz/.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
seconds=${1:-60}
build="$root/build-fuzz"
bash "$root/scripts/install-deps.sh"
CXX=clang++ cmake -S "$root" -B "$build" -DROUTELET_FUZZ=ON -DROUTELET_TESTS=OFF -DROUTELET_BENCH=OFF \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j"$(nproc)" --target log_fuzzer exif_fuzzer camera_preview_fuzzer page_fuzzer xml_fuzzer heif_fuzzer

shared="$root/../shared/data"
seed() {  # seed TARGET FILES...: copies the first 64 KiB of each file into the target's corpus
  local corpus="$build/corpus/$1"; shift
  mkdir -p "$corpus"
  local f
  for f in "$@"; do [[ -f "$f" ]] && head -c 65536 "$f" > "$corpus/seed-$(basename "$f")"; done
  return 0
}
shopt -s nullglob
seed log "$root"/tests/data/nmea/* "$root"/examples/*.log "$shared"/nmea/*
seed exif "$root"/tests/data/photos/*.jp* "$root"/tests/data/photos/*.JP* "$root"/examples/*.jpg "$shared"/photos/*.jp* "$shared"/photos/*.JP*
seed camera_preview "$root"/tests/data/photos/*.jp* "$root"/tests/data/photos/*.JP* "$shared"/photos/*.jp* "$shared"/photos/*.JP*
seed page "$root"/template.dat "$root"/tests/data/e2e/*/template.dat
seed heif "$root"/tests/data/photos/heif/*
seed xml "$root"/tests/data/e2e/*/files/*.gpx "$root"/tests/data/e2e/*/files/*.tcx "$root"/tests/data/e2e/*/files/*.kml

status=0
for target in log exif camera_preview page xml heif; do
  fuzzer="$build/fuzz/${target}_fuzzer"
  regressions=("$root"/tests/data/fuzz-regressions/"$target"/*)
  if ((${#regressions[@]})); then
    echo "== $target: replaying ${#regressions[@]} earlier findings"
    "$fuzzer" "${regressions[@]}" >/dev/null 2>&1 || { echo "$target: an earlier finding fails again"; status=1; }
  fi
  echo "== $target: fuzzing for $seconds s"
  if ! (cd "$build" && "$fuzzer" -max_total_time="$seconds" -max_len=65536 -rss_limit_mb=2048 \
        -timeout=10 -print_final_stats=1 "$build/corpus/$target" 2>"$build/${target}_fuzzer.log"); then
    echo "$target: FINDING (see $build/${target}_fuzzer.log)"; tail -30 "$build/${target}_fuzzer.log"; status=1
  else
    grep -E '^(stat::number_of_executed_units|#[0-9]+ +DONE)' "$build/${target}_fuzzer.log" | tail -2
  fi
done
exit $status
