#!/usr/bin/env bash
# The shipped data templates make files other tools read: gpsbabel reads the GPX pages of real
# logs back with every point, its coordinates (to 1e-7 degrees) and its time, and xmllint finds
# the GPX and KML pages well-formed (the KML one with the sample's photos).
# Usage: data_templates_test.sh PROGRAM SOURCE_DIR
set -euo pipefail
for tool in gpsbabel xmllint; do
  command -v "$tool" >/dev/null || { echo "skipped: $tool is not installed (scripts/install-deps.sh)"; exit 77; }
done
program=$1 source=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$source"/examples/*.log "$source"/examples/*.jpg "$work"
for log in gnrmc-rx210-void-startup-crlf garmc-gprmc-duplicate-talkers-telit-crlf inrmc-boat-time-backwards-humminbird-lf; do
  cp "$source/tests/data/nmea/$log.nmea" "$work/$log.log"
done
# What the program knows of each point, at full precision, to compare with what gpsbabel reads.
printf '[recordlist]\n*recordlist\n[lat:full] [lng:full] [time:iso]\n' > "$work/points.dat"
# gpsbabel's unicsv writes 6 decimals; this style writes 9.
printf 'FIELD_DELIMITER SPACE\nRECORD_DELIMITER NEWLINE\nOFIELD LAT_DECIMAL, "", "%%.9f"\nOFIELD LON_DECIMAL, "", "%%.9f"\nOFIELD ISO_TIME_MS, "", "%%s"\n' > "$work/points.style"
for log in "$work"/*.log; do
  name=${log%.log}
  for kind in gpx kml; do
    "$program" --console --template="$source/templates/$kind.dat" "$log"
    xmllint --noout "$name.$kind"
  done
  "$program" --console --template="$work/points.dat" -o "$name.points" "$log"
  gpsbabel -t -i gpx -f "$name.gpx" -x nuketypes,waypoints -o xcsv,style="$work/points.style" -F "$name.read"
  # Times compare without the fraction's trailing zeros, which gpsbabel writes its own way.
  awk -v file="${log##*/}" '
    function t(s) { sub(/\r$/, "", s); if (s ~ /\./) { sub(/0*Z$/, "Z", s); sub(/\.Z$/, "Z", s) } return s }
    function far(a, b) { return a - b > 1e-7 || b - a > 1e-7 }
    FNR == NR { lat[NR] = $1; lng[NR] = $2; time[NR] = t($3); written = NR; next }
    { read = FNR }
    far($1, lat[FNR]) || far($2, lng[FNR]) || t($3) != time[FNR] {
      print file ": point " FNR " read back as " $0 ", written as " lat[FNR] " " lng[FNR] " " time[FNR]; bad = 1
    }
    END { if (read != written) { print file ": " read " points read back of " written; bad = 1 }; exit bad }
  ' "$name.points" "$name.read"
done
grep -q '<Placemark><name>sanjo.jpg</name><TimeStamp><when>2026-05-03T01:19:30Z</when>' "$work/kamo-river-ride.kml" ||
  { echo "no placemark for a photo taken during the ride"; exit 1; }
# The photos with a position are the GPX page's waypoints, as gpsbabel reads them back, and the
# KML page's points.
printf '[photolist]\n*photolist\n[lat:full] [lng:full] [file]\n' > "$work/placed.dat"
"$program" --console --template="$work/placed.dat" -o "$work/placed.txt" "$work/kamo-river-ride.log"
gpsbabel -w -i gpx -f "$work/kamo-river-ride.gpx" -x nuketypes,tracks,routes -o xcsv,style="$work/points.style" -F "$work/waypoints.read"
awk 'NF == 3 { printf "%.7f %.7f\n", $1, $2 }' "$work/placed.txt" > "$work/placed.expected"
awk '{ printf "%.7f %.7f\n", $1, $2 }' "$work/waypoints.read" | diff "$work/placed.expected" - ||
  { echo "GPX waypoints differ from the photos' positions"; exit 1; }
[ "$(grep -c '<Point>' "$work/kamo-river-ride.kml")" = "$(wc -l < "$work/placed.expected")" ] || { echo "KML photo points"; exit 1; }

printf '%s\r\n' '$GPRMC,000000.00,A,3500.0000,N,13900.0000,E,3.0,90.0,010111,,' \
  '$GPRMC,000001.00,A,3500.0000,N,13900.0010,E,3.0,90.0,010111,,' \
  '$GPGGA,000002.00,3500.0000,N,13900.0020,E,1,08,1.0,50.5,M,0.0,M,,' \
  '$GPRMC,000002.00,A,3500.0000,N,13900.0020,E,3.0,90.0,010111,,' \
  '$GPGGA,000003.25,3500.0000,N,13900.0030,E,1,08,1.0,51.0,M,0.0,M,,' \
  '$GPRMC,000003.25,A,3500.0000,N,13900.0030,E,3.0,90.0,010111,,' > "$work/climb.log"
for kind in gpx kml csv; do "$program" --console --template="$source/templates/$kind.dat" "$work/climb.log"; done
xmllint --noout "$work/climb.gpx" "$work/climb.kml"
heights=$(gpsbabel -t -i gpx -f "$work/climb.gpx" -o unicsv -F - | tr -d '\r' | awk -F, 'NR > 1 { printf "%s %s|", $4, $6 }')
[ "$heights" = " 00:00:00| 00:00:01|50.5 00:00:02|51.0 00:00:03.250|" ] || { echo "GPX heights and times read back: $heights"; exit 1; }
[ "$(tr -d '\r' < "$work/climb.kml" | grep -c '^139[.0-9]*,35\(,5[01]\.[05]0\)\?$')" = 4 ] && grep -q '^139.00005000000002,35,51.00' "$work/climb.kml" ||
  { echo "KML coordinates: $(grep -A5 '<coordinates>' "$work/climb.kml")"; exit 1; }
awk -F, 'NR > 2 && $4 "," $5 "," $6 == last { print "CSV rows " NR - 1 " and " NR " alike: " $0; bad = 1 } { last = $4 "," $5 "," $6 }
  END { exit bad }' "$work/climb.csv"
# Three day logs converted together: a <trkseg> and a <LineString> (at the log's heights) per day,
# and every point read back.
days="$source/tests/data/e2e/several-logs-as-words/files"
for kind in gpx kml; do
  "$program" --console --template="$source/templates/$kind.dat" -o "$work/days.$kind" "$days"/day{1,2,3}.log
  xmllint --noout "$work/days.$kind"
done
gpsbabel -t -i gpx -f "$work/days.gpx" -o xcsv,style="$work/points.style" -F "$work/days.read"
[[ "$(grep -c '<trkseg>' "$work/days.gpx") $(grep -c '<LineString>' "$work/days.kml") $(grep -c '<altitudeMode>absolute' "$work/days.kml") $(wc -l < "$work/days.read")" == "3 3 3 15" ]] ||
  { echo "the days are not one <trkseg> and one <LineString> at the log's heights each, with all their points"; exit 1; }
