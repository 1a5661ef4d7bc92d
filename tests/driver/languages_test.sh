#!/usr/bin/env bash
# The program's texts in the language the locale variables ask for, whatever order they come in:
# a missing log, a missing template, the summary of a written page (on a terminal) and --help.
# Usage: languages_test.sh PROGRAM
source "$(dirname "$0")/../support/program_test.sh" "$1" "[numphoto]"
fixes 3 trip.log
# language | environment: a Japanese locale, the C locale and none keep the described texts.
ja=(ja "LANG=ja_JP.UTF-8" "LC_ALL=ja_JP.eucJP LANG=en_US.UTF-8" "LANG=de_DE.UTF-8 LC_MESSAGES=ja_JP.UTF-8"
  "LANGUAGE=ja:en LANG=en_GB.UTF-8" "LANG=C.UTF-8" "LC_ALL=C LANGUAGE=en LANG=en_US.UTF-8" "LANG=POSIX" "")
en=(en "LANG=en_US.UTF-8" "LANG=de_DE.UTF-8" "LC_MESSAGES=en_GB.UTF-8 LANG=ja_JP.UTF-8"
  "LANGUAGE=fr:ja LANG=ja_JP.UTF-8" "LC_ALL=fr_FR.UTF-8 LC_MESSAGES=ja_JP.UTF-8")
declare -A missing=([ja]="Routelet: none.logが見つかりません" [en]="Routelet: none.log was not found")
declare -A template=([ja]="エラー: template.datが正しく読みこめません" [en]="Error: template.dat cannot be read correctly")
declare -A summary=([ja]="trip.htmlを書き出しました：3地点、0.00 km、写真0/0枚" [en]="Wrote trip.html: 3 points, 0.00 km, photos 0/0")
declare -A help=([ja]="使い方: routelet" [en]="Usage: routelet")
for table in ja en; do
  declare -n settings=$table
  language=${settings[0]}
  for setting in "${settings[@]:1}"; do
    says() { local text; text=$(env -i PATH="$PATH" $setting "${@:2}" 2>&1); [[ $text == *"$1"* ]]; }
    says "${missing[$language]}" ./routelet --console none.log || fail "missing log, $setting"
    says "${template[$language]}" ./routelet --console --template=none.dat trip.log || fail "template, $setting"
    says "${summary[$language]}" script -qec "./routelet --console trip.log" /dev/null < /dev/null || fail "summary, $setting"
    # Under C --help stays as it has always been: English.
    expected=${help[$language]}
    [[ $setting =~ (^|[^_])(C|POSIX)( |\.|$)|^$ ]] && expected=${help[en]}
    says "$expected" ./routelet --help || fail "--help, $setting"
  done
done
finish
