#!/usr/bin/env bash
# --geotag on real camera photos, read back with exiftool: positions within 1e-6 degrees, every
# other tag, the thumbnail and the image data unchanged, mode and modification time kept; photos
# with their own position, read-only ones and those the track does not place are left byte for
# byte; a dry run writes nothing; a full disk leaves the photo whole; SIGINT amid 2,000 photos
# leaves each either as it was or fully tagged, and no temporary file.
# Usage: geotag_test.sh PROGRAM SOURCE_DIR
set -euo pipefail
command -v exiftool >/dev/null || { echo "skipped: exiftool is not installed (scripts/install-deps.sh)"; exit 77; }
program=$1 source=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
fail() { echo "FAIL: $*" >&2; exit 1; }
cp "$source/tests/data/e2e/photos-placed/files/trip.log" .
# A camera photo (with maker notes and a thumbnail) taken at TIME UTC, GPS tags removed.
photo() {
  cp "$source/tests/data/photos/Canon_40D.jpg" "$1"
  exiftool -q -overwrite_original -gps:all= -DateTimeOriginal="2011:01:01 $2" -OffsetTimeOriginal=+00:00 "$1"
}
photo tag.jpg 00:01:30
photo own.jpg 00:01:30
exiftool -q -overwrite_original -GPSLatitude=10 -GPSLatitudeRef=S -GPSLongitude=20 -GPSLongitudeRef=W own.jpg
photo readonly.jpg 00:00:30
photo gap.jpg 00:07:00
chmod 640 tag.jpg
chmod 444 readonly.jpg
touch -d '2020-01-02 03:04:05.123456789' tag.jpg
mkdir before && cp -p ./*.jpg before/
same() { for name in "$@"; do cmp -s "$name" "before/$name" || fail "$name changed"; done; }
tags() { exiftool -a -G1 -s -n --GPS:all --System:all --File:all --Composite:all -x IFD1:ThumbnailOffset "$1"; }
# The image data, and the thumbnail image.
scan() { python3 -c 'import sys; b=open(sys.argv[1],"rb").read(); sys.stdout.buffer.write(b[b.index(b"\xff\xda"):])' "$1" | md5sum; exiftool -b -ThumbnailImage "$1" | md5sum; }

"$program" --console --geotag=dry-run trip.log 2>err || fail "dry run: exit $?"
same tag.jpg own.jpg readonly.jpg gap.jpg
grep -q '位置を書き込む写真（試しのため書き込んでいません）：2枚' err || fail "dry run summary: $(cat err)"

"$program" --console --geotag trip.log 2>err || fail "geotag: exit $?"
grep -q '位置を書き込んだ写真：1枚。書き込まなかった写真：写真自身の位置あり1枚、位置が分からない1枚、書き込み不可1枚' err || fail "summary: $(cat err)"
same own.jpg readonly.jpg gap.jpg
read -r lat lng alt < <(exiftool -n -p '$GPSLatitude $GPSLongitude $GPSAltitude' tag.jpg)
awk -v a="$lat" -v b="$lng" -v c="$alt" 'BEGIN { d = a - 35.025; e = b - 139.025; exit !(d * d < 1e-12 && e * e < 1e-12 && c == 25) }' ||
  fail "position read back: $lat $lng $alt"
[ "$(exiftool -s3 -GPSMapDatum -GPSDateStamp -GPSTimeStamp tag.jpg | tr '\n' ' ')" = "WGS-84 2011:01:01 00:01:30 " ] || fail "datum, date or time"
diff <(tags before/tag.jpg) <(tags tag.jpg) || fail "tags other than GPS changed"
[ "$(scan tag.jpg)" = "$(scan before/tag.jpg)" ] || fail "image data or thumbnail changed"
[ "$(stat -c '%a %y' tag.jpg)" = "$(stat -c '%a %y' before/tag.jpg)" ] || fail "mode or time: $(stat -c '%a %y' tag.jpg)"

"$program" --console --geotag=overwrite trip.log 2>err || fail "overwrite: exit $?"
[ "$(exiftool -n -s3 -GPSLatitude own.jpg)" = 35.025 ] || fail "overwrite kept the photo's own position"

# A full disk: the photo stays whole, the run says why and ends with status 1.
photo full.jpg 00:01:30
cp full.jpg before/full.jpg
status=0
(ulimit -f 4; "$program" --console -o - --geotag trip.log >/dev/null 2>err) || status=$?
[ "$status" = 1 ] || fail "full disk: exit $status"
same full.jpg
grep -q '失敗1枚' err || fail "full disk not told: $(cat err)"
if ls -A | grep -q '^\.rl'; then fail "temporary file left"; fi

# SIGINT amid a run over 2,000 photos, sent once the first is tagged. Job control keeps the
# background program's SIGINT at its default action.
mkdir many
cp trip.log many/
photo many/0.jpg 00:01:30
python3 -c 'import shutil; [shutil.copyfile("many/0.jpg", "many/%d.jpg" % i) for i in range(1, 2000)]'
cp many/0.jpg original.jpg
ln many/0.jpg first.jpg
set -m
"$program" --console --geotag many/trip.log 2>/dev/null &
program_pid=$!
# The first photo listed gets a new file (inode) once tagged: a test without a process per look.
deadline=$((SECONDS + 20))
while [ many/0.jpg -ef first.jpg ]; do
  [ "$SECONDS" -lt "$deadline" ] || fail "no photo tagged within 20 s"
done
kill -INT "$program_pid"
wait "$program_pid" || true
set +m
# Each photo is byte for byte the original, or reads back tagged.
python3 -c '
import glob
original = open("original.jpg", "rb").read()
print("\n".join(name for name in glob.glob("many/*.jpg") if open(name, "rb").read() != original))' > changed
[ -s changed ] || fail "nothing tagged before SIGINT"
exiftool -q -f -n -p '$FileName $GPSLatitude' -@ changed | awk '$2 != 35.025 { print; bad = 1 } END { exit bad }' ||
  fail "photos neither whole nor tagged after SIGINT"
if ls -A many | grep -q '^\.rl'; then fail "temporary file left after SIGINT"; fi
