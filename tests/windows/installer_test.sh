#!/usr/bin/env bash
# The Windows installer under wine, in a fresh prefix of its own: a silent install puts the
# program, its templates and READMEs into Program Files with a Start-menu entry and offers it in
# "Open with" for .log, .nmea and .gpx files without changing any type's default program; the installed
# program converts the sample log (to the same page as the Linux program, when one is given); the
# silent uninstaller leaves the files and the registry as they were before.
#   installer_test.sh SETUP.EXE WORK-FOLDER [LINUX-PROGRAM]
set -u
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
setup=$(realpath "$1") work=$(realpath -m "$2") linux_program=${3:+$(realpath "$3")}
prefix=$work/wineprefix
fail() { echo "FAILED (installer): $*" >&2; exit 1; }
run() { bash "$root/scripts/windows/wine.sh" "$prefix" "$@"; }

rm -rf "$work" && mkdir -p "$work"
bash "$root/scripts/windows/wine-prefix.sh" "$prefix" || fail "no wine prefix"
export WINEPREFIX=$prefix WINEDEBUG=-all
wineserver -p
trap 'WINEPREFIX=$prefix wineserver -k 2>/dev/null' EXIT
run cmd /c exit </dev/null >/dev/null 2>&1

# The registry a program can leave entries in, as text, for comparing before and after; wine's
# own settings of the user (which any windowed program may add to) aside.
registry() {
  run reg export 'HKLM\Software' "$(winepath -w "$work/hklm.reg")" /y >/dev/null 2>&1 &&
    run reg export 'HKCU\Software' "$(winepath -w "$work/hkcu.reg")" /y >/dev/null 2>&1 &&
    iconv -f UTF-16LE -t UTF-8 "$work/hklm.reg" "$work/hkcu.reg" | tr -d '\r' |
    awk '/^\[/ { wine = index($0, "[HKEY_CURRENT_USER\\Software\\Wine") == 1 } !wine'
}
# A type's default program (the default value of its key), as Windows has them for .txt and .log.
default_of() { run reg query "HKCR\\$1" /ve 2>/dev/null | tr -d '\r' | sed -n 's/.*REG_SZ *//p' | grep -v '^(value not set)$'; }
for type in .txt .log; do run reg add "HKCR\\$type" /ve /d txtfile /f >/dev/null 2>&1 || fail "could not set $type's default"; done
registry >"$work/before.txt" || fail "the registry could not be exported"

run "$setup" /S || fail "the installer ended with status $?"
folder="$prefix/drive_c/Program Files/Routelet"
menu="$prefix/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Routelet"
for file in routelet.exe template.dat templates/gpx.dat README-ja.txt README-en.txt Uninstall.exe; do
  [[ -f "$folder/$file" ]] || fail "not installed: $file"
done
[[ -f "$menu/Routelet.lnk" ]] || fail "no Start-menu entry: $(ls "$menu" 2>&1)"
run reg query 'HKCR\.log\OpenWithProgids' /v Routelet.GpsLog >/dev/null 2>&1 || fail ".log does not offer Routelet"
# Both ways into "Open with" start the installed program on the file, and open the page.
for key in 'Routelet.GpsLog' 'Applications\routelet.exe'; do
  [[ "$(default_of "$key\shell\open\command")" == '"C:\Program Files\Routelet\routelet.exe" --open "%1"' ]] ||
    fail "$key opens with: $(default_of "$key\shell\open\command")"
done
for type in .nmea .gpx; do
  run reg query 'HKCR\Applications\routelet.exe\SupportedTypes' /v $type >/dev/null 2>&1 || fail "$type is not a supported type"
done
run reg query 'HKCR\.gpx\OpenWithProgids' /v Routelet.GpsLog >/dev/null 2>&1 || fail ".gpx does not offer Routelet"
[[ "$(default_of .txt) $(default_of .log) $(default_of .nmea) $(default_of .gpx)" == "txtfile txtfile  " ]] ||
  fail "a default program changed: .txt '$(default_of .txt)', .log '$(default_of .log)', .nmea '$(default_of .nmea)', .gpx '$(default_of .gpx)'"

# The installed program converts the sample with its photos, in Japan's zone (wine's zone
# follows the host's TZ).
mkdir "$work/sample" && cp "$root"/examples/kamo-river-ride.log "$root"/examples/*.jpg "$work/sample/"
TZ=Asia/Tokyo run 'C:\Program Files\Routelet\routelet.exe' --console "$(winepath -w "$work/sample/kamo-river-ride.log")" \
  || fail "the installed program could not convert the sample"
grep -q 'kamo-bridge.jpg' "$work/sample/kamo-river-ride.html" || fail "the page lists no photo"
if [[ -n "$linux_program" ]]; then
  mkdir "$work/linux" && cp "$root"/examples/kamo-river-ride.log "$root"/examples/*.jpg "$work/linux/"
  TZ=Asia/Tokyo "$linux_program" --console "$work/linux/kamo-river-ride.log" || fail "the Linux program failed"
  cmp "$work/sample/kamo-river-ride.html" "$work/linux/kamo-river-ride.html" || fail "the page differs from the Linux program's"
fi

# The uninstaller starts a copy of itself and returns at once: wait (bounded) for its work to be done.
run 'C:\Program Files\Routelet\Uninstall.exe' /S || fail "the uninstaller ended with status $?"
removed() { [[ ! -e "$folder" && ! -e "$menu" ]] && registry >"$work/after.txt" && cmp -s "$work/before.txt" "$work/after.txt"; }
deadline=$((SECONDS + 60))
until removed; do
  ((SECONDS < deadline)) || fail "left after uninstalling: $(ls "$folder" "$menu" 2>/dev/null)
$(diff "$work/before.txt" "$work/after.txt")"
  sleep 0.2
done
echo "passed: installer"
