#!/usr/bin/env bash
# Makes a fresh 64-bit wine prefix in the given folder, without a single question: no download
# of wine's mono or gecko (their prompts are turned off by leaving mscoree and mshtml out), no
# debug chatter, no menu entries on the host (winemenubuilder is off: installers and wineboot
# would add .desktop files to ~/.local/share), and the fonts that Windows programs ask for by
# name (dialogs, Japanese UI) replaced with a Japanese font that is installed, so that Japanese
# text renders.
# Usage: wine-prefix.sh FOLDER   (does nothing when FOLDER already holds a finished prefix)
set -euo pipefail
prefix=$(realpath -m "${1:?usage: wine-prefix.sh FOLDER}")
[[ -f "$prefix/.routelet-ready" ]] && exit 0

export WINEPREFIX=$prefix WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
# wine opens files with Japanese names only under a host locale that exists; C.UTF-8 always does.
export LC_ALL=C.UTF-8
rm -rf "$prefix"
mkdir -p "$prefix"
wineboot -i >/dev/null 2>&1
wineserver -w

# The first installed Japanese font wine can use in place of the Windows UI fonts. (Asked by
# name: `fc-list | grep -q` would fail now and then under pipefail, when grep's early exit
# ends fc-list with SIGPIPE, and leave the prefix without Japanese.)
font=""
for candidate in "IPAGothic" "Noto Sans CJK JP"; do
  if [[ -n "$(fc-list "$candidate" family)" ]]; then
    font=$candidate
    break
  fi
done
if [[ -n "$font" ]]; then
  reg="$prefix/fonts.reg"
  {
    echo 'REGEDIT4'
    echo
    echo '[HKEY_CURRENT_USER\Software\Wine\Fonts\Replacements]'
    for name in "MS Shell Dlg" "MS Shell Dlg 2" "MS UI Gothic" "Meiryo UI" "Yu Gothic UI" "Tahoma"; do
      echo "\"$name\"=\"$font\""
    done
  } >"$reg"
  wine regedit /S "$(winepath -w "$reg" 2>/dev/null)" >/dev/null 2>&1
  wineserver -w
fi
touch "$prefix/.routelet-ready"
