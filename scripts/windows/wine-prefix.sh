#!/usr/bin/env bash
# Makes a fresh 64-bit wine prefix in the given folder, without a single question: no download
# of wine's mono or gecko (their prompts are turned off by leaving mscoree and mshtml out), no
# debug chatter, no menu entries on the host (winemenubuilder is off: installers and wineboot
# would add .desktop files to ~/.local/share), and the fonts that Windows programs ask for by
# name (dialogs, Japanese UI) replaced with a Japanese font that is installed, so that Japanese
# text renders; and the Japanese and US English locales compiled into FOLDER/locales (from the
# `locales` package's sources, so that the machine's own set of locales stays as it is), which
# wine.sh gives wine for its UI language.
# Usage: wine-prefix.sh FOLDER   (does nothing when FOLDER already holds a finished prefix)
set -euo pipefail
prefix=$(realpath -m "${1:?usage: wine-prefix.sh FOLDER}")

# wine takes its UI language from LC_MESSAGES only when the host has that locale. (Made on their
# own in a prefix made before they were part of it.)
make_locales() {
  [[ -f "$prefix/locales/.made" ]] && return 0
  mkdir -p "$prefix/locales"
  local locale
  for locale in ja_JP en_US; do
    # localedef ends with status 1 over mere warnings of the locale's source.
    localedef -i "$locale" -f UTF-8 "$prefix/locales/$locale.UTF-8" >/dev/null 2>&1 ||
      [[ -f "$prefix/locales/$locale.UTF-8/LC_MESSAGES/SYS_LC_MESSAGES" ]] ||
      { echo "wine-prefix.sh: the locale $locale.UTF-8 could not be made" >&2; return 1; }
  done
  touch "$prefix/locales/.made"
}
if [[ -f "$prefix/.routelet-ready" ]]; then
  make_locales
  exit
fi

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
make_locales
touch "$prefix/.routelet-ready"
