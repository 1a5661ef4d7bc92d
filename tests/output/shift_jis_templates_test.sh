#!/usr/bin/env bash
# Every shipped template can be saved as Shift_JIS (code page 932) and read back unchanged, and
# the shipped template saved so gives the same page as in UTF-8.
# Usage: shift_jis_templates_test.sh PROGRAM SOURCE_DIR
set -euo pipefail
program=$1 source=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
for template in "$source"/template.dat "$source"/templates/*.dat; do
  iconv -f UTF-8 -t CP932 "$template" > "$work/sjis.dat" || { echo "$template: not all in code page 932"; exit 1; }
  iconv -f CP932 -t UTF-8 "$work/sjis.dat" | cmp -s - "$template" || { echo "$template: changed by code page 932 and back"; exit 1; }
  cp "$source"/examples/kamo-river-ride.log "$source"/examples/*.jpg "$work"
  "$program" --console --template="$template" -o "$work/utf8.page" "$work/kamo-river-ride.log"
  "$program" --console --template="$work/sjis.dat" -o "$work/sjis.page" "$work/kamo-river-ride.log"
  cmp "$work/utf8.page" "$work/sjis.page" || { echo "$template: another page from its Shift_JIS copy"; exit 1; }
done
