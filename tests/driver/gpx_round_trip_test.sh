#!/bin/bash
# A GPX written by the shipped GPX template from a real log gives the page the log gives: the
# same times, positions and altitudes (and so the same distances and speeds). The template writes
# positions in full and altitudes with two decimals, as [alt:known] does: nothing is lost.
# Usage: gpx_round_trip_test.sh PROGRAM GPX_TEMPLATE NMEA_FOLDER
source "$(dirname "$0")/../support/program_test.sh" "$1" '[recordlist]
*recordlist
[index] [time:iso] [timestr] [lat:full] [lng:full] [alt:known] [speed] [dist]
*extension
txt
'
for log in "$3"/*.nmea; do
  name=$(basename "$log" .nmea)
  cp "$log" "$name.log"
  ./routelet --console --template="$2" "$name.log" || fail "$name: no GPX"
  ./routelet --console "$name.log" && mv "$name.txt" "$name.nmea.txt" || fail "$name: no page of the log"
  ./routelet --console "$name.gpx" 2>err || fail "$name: no page of the GPX: $(cat err)"
  [ -s "$name.nmea.txt" ] || fail "$name: an empty page"
  cmp -s "$name.nmea.txt" "$name.txt" || fail "$name: the pages differ: $(diff "$name.nmea.txt" "$name.txt" | head -4)"
done
finish
