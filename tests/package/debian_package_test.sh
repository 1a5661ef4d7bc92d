#!/usr/bin/env bash
# The Debian package as a user gets it: `cpack -G DEB` in the build folder makes
# routelet_VERSION_ARCH.deb, with the modules of the desktop front end (GTK among its dependencies)
# and of the photo formats;
# it runs no ldconfig (its module is private); apt-get installs it; /usr/bin/routelet converts the
# example trip with the template under /usr/share/routelet exactly as the build's program does;
# `man routelet` shows its page; the copyright file is machine-readable; the NMEA log type is in
# the MIME database, and the menu entry is offered for it but not for plain text; apt-get removes
# it again, the type too. Skipped (77) without root or apt, and where a routelet package is installed
# already (not ours to replace).
#   debian_package_test.sh SOURCE_DIR BUILD_DIR VERSION
set -u
source=$1 build=$2 version=$3
skip() { echo "SKIPPED: $*"; exit 77; }
fail() { echo "FAILED: $*" >&2; exit 1; }

command -v man >/dev/null || skip "man is not installed (Debian package man-db)"
for page in "$build"/man/man1/routelet.1 "$build"/man/ja/man1/routelet.1; do
  warnings=$(man --warnings -l "$page" 2>&1 >/dev/null)
  [[ -z "$warnings" ]] || fail "the man page $page has warnings: $warnings"
done
(($(id -u) == 0)) || skip "installing a package needs root"
for tool in apt-get cpack dpkg-shlibdeps gio; do
  command -v $tool >/dev/null || skip "$tool is not installed (Debian packages apt, cmake, dpkg-dev, libglib2.0-bin)"
done
dpkg-query -W -f '${Status}' routelet 2>/dev/null | grep -q 'ok installed' && skip "a routelet package is installed already"

work=$(mktemp -d "${TMPDIR:-/tmp}/routelet-package-XXXXXX")
apt_get() { apt-get -y -q -o DPkg::Lock::Timeout=300 "$@" >>"$work/apt.log" 2>&1; }
trap 'apt_get purge routelet; rm -rf "$work"' EXIT

deb=routelet_${version}_$(dpkg --print-architecture).deb
(cd "$build" && rm -f "$deb" && cpack -G DEB) >"$work/cpack.log" 2>&1 || { cat "$work/cpack.log"; fail "cpack -G DEB failed"; }
[[ -f "$build/$deb" ]] || fail "no $deb in $build"
depends=$(dpkg-deb -f "$build/$deb" Depends)
[[ "$depends" == *libc6* && "$depends" == *libstdc++6* ]] || fail "dependencies not read off the program: '$depends'"
dpkg-deb -e "$build/$deb" "$work/control" || fail "dpkg-deb -e $deb failed"
! grep -rq ldconfig "$work/control" || fail "the package's control files run ldconfig: $(grep -rl ldconfig "$work/control")"
# Listed into a file first: grep -q stops at its match, which would cut the listing's pipe.
dpkg-deb -c "$build/$deb" >"$work/contents" || fail "dpkg-deb -c $deb failed"
# The photo formats' module, where the build has one: packaged and read for dependencies too.
if [[ -f "$build/routelet-photo-formats.so" ]]; then
  grep -q '/routelet/routelet-photo-formats\.so$' "$work/contents" || fail "the package holds no routelet-photo-formats.so"
  [[ "$depends" == *libheif* && "$depends" == *libexiv2* ]] || fail "libheif and libexiv2 are not among the dependencies: '$depends'"
fi
if [[ -f "$build/routelet-tile-fetch.so" ]]; then
  grep -q '/routelet/routelet-tile-fetch\.so$' "$work/contents" || fail "the package holds no routelet-tile-fetch.so"
  [[ "$depends" == *libcurl* ]] || fail "libcurl is not among the dependencies: '$depends'"
fi
# The desktop front end, where the build has one: its module packaged and read for dependencies
# too, its menu entry and icon installed.
shared_files=(routelet/template.en.dat man/man1/routelet.1.gz man/ja/man1/routelet.1.gz routelet/templates/csv.dat locale/ja/LC_MESSAGES/routelet.mo mime/packages/routelet.xml doc/routelet/copyright)
if [[ -f "$build/routelet-desktop.so" ]]; then
  grep -q '/routelet/routelet-desktop\.so$' "$work/contents" || fail "the package holds no routelet-desktop.so"
  [[ "$depends" == *libgtk-3-0* ]] || fail "GTK is not among the dependencies: '$depends'"
  shared_files+=(applications/routelet.desktop icons/hicolor/scalable/apps/routelet.svg)
fi

(cd "$build" && apt_get install "./$deb") || { cat "$work/apt.log"; fail "apt-get install ./$deb failed"; }
for file in "${shared_files[@]}"; do
  [[ -f "/usr/share/$file" ]] || fail "the package did not install /usr/share/$file"
done

# The example trip converted by the installed program and by the build's: the same page.
convert() {  # convert PROGRAM FOLDER: in a fresh FOLDER
  mkdir "$2" && cp "$source"/examples/kamo-river-ride.log "$source"/examples/*.jpg "$2" &&
    (cd "$2" && TZ=Asia/Tokyo "$1" --console kamo-river-ride.log) || fail "$1 could not convert the example trip"
}
convert /usr/bin/routelet "$work/installed"
convert "$build/routelet" "$work/built"
grep -q kamo-bridge.jpg "$work/installed/kamo-river-ride.html" || fail "the installed program's page lists no photo"
cmp "$work/installed/kamo-river-ride.html" "$work/built/kamo-river-ride.html" || fail "the installed program's page differs"
# The installed program finds its photo formats' module under /usr/lib/routelet (a dry run of
# --geotag loads it and changes no photo).
if [[ -f "$build/routelet-photo-formats.so" ]]; then
  (cd "$work/installed" && TZ=Asia/Tokyo /usr/bin/routelet --console --geotag=dry-run kamo-river-ride.log >"$work/geotag.log" 2>&1) ||
    { cat "$work/geotag.log"; fail "the installed program could not load its photo formats' module"; }
fi
# And the tile fetcher's, with the photo formats' previews, for --single-file (tiles asked of a
# closed port on this machine: none come, and the page is written all the same).
if [[ -f "$build/routelet-tile-fetch.so" ]]; then
  (cd "$work/installed" && TZ=Asia/Tokyo /usr/bin/routelet --console --single-file --tile-source='http://127.0.0.1:1/{z}/{x}/{y}.png' \
    kamo-river-ride.log >"$work/single.log" 2>&1) || { cat "$work/single.log"; fail "the installed program could not load its modules for --single-file"; }
fi
copyright=/usr/share/doc/routelet/copyright
[[ "$(head -n 1 $copyright)" == "Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/" ]] || fail "$copyright names no machine-readable format"
/usr/bin/python3 -c 'import sys, debian.copyright as c; c.Copyright(open(sys.argv[1]), strict=True)' $copyright || fail "$copyright is not machine-readable (python3-debian)"
printf '$GPRMC,\n' >"$work/trip.nmea"
[[ "$(gio info -a standard::content-type "$work/trip.nmea")" == *"content-type: application/x-nmea"* ]] || fail "trip.nmea is not of the NMEA log type"
if [[ -f "$build/routelet-desktop.so" ]]; then
  gio mime application/x-nmea | grep -q routelet.desktop || fail "the menu entry is not offered for NMEA logs"
  gio mime application/gpx+xml | grep -q routelet.desktop || fail "the menu entry is not offered for GPX tracks"
  ! gio mime application/xml | grep -q routelet.desktop || fail "the menu entry is offered for all XML"
  ! gio mime text/plain | grep -q routelet.desktop || fail "the menu entry is offered for plain text"
fi
MANWIDTH=200 man -P cat routelet 2>/dev/null | grep -q "routelet - turn a GPS log into a web page" || fail "man routelet shows no page"
MANWIDTH=200 man -P cat routelet 2>/dev/null | grep -q "GPX 1.0 or 1.1, TCX or KML" || fail "man routelet does not tell of GPX, TCX and KML"
# Every option --help lists is in the man page, in English and in Japanese.
for language in en ja; do
  [[ $language == ja ]] && locale=ja_JP.UTF-8 || locale=en_US.UTF-8
  LANG=$locale /usr/bin/routelet --help | grep -oE -- '(^|[ ,[])-(-[a-z][a-z-]*|[a-zA-Z])\b' | grep -oE -- '-.*' | sort -u >"$work/options"
  MANWIDTH=250 man -L $language -P cat routelet >"$work/man.$language" 2>/dev/null || fail "man -L $language routelet failed"
  (($(wc -l <"$work/options") >= 15)) || fail "too few options read off --help ($language)"
  [[ $language == en ]] || grep -q "GPSログを" "$work/man.ja" || fail "man -L ja routelet shows no Japanese page"
  [[ $language == en ]] || ! grep -q "使い方:" "$work/man.ja" || fail "the Japanese man page repeats the usage line"
  while read -r option; do
    grep -qE -- "(^|[^a-z-])$option([^a-z-]|$)" "$work/man.$language" || fail "man routelet ($language) does not tell of $option"
  done <"$work/options"
done

apt_get purge routelet || fail "apt-get purge routelet failed"
[[ ! -e /usr/bin/routelet ]] || fail "/usr/bin/routelet is still there after removing the package"
! grep -qs application/x-nmea /usr/share/mime/globs2 || fail "the NMEA log type stayed in the MIME database"
echo "passed: $deb installed, used and removed"
