#!/usr/bin/env bash
# Every golden case's templates (template.dat beside the case, and each .dat under its files/ and
# root/) go through `routelet --check-template`: each checks clean, unless the case folder holds a
# file template-check with the report its templates give together (paths from the case folder,
# in name order; each template's lines are followed by "exit STATUS"; lines starting with "#"
# say why the case keeps such a template). Any other report fails, and so does a mark left over.
# Usage: golden_templates_test.sh ROUTELET CASES_DIR
set -uo pipefail
routelet=$1
cases=$2
export LC_ALL=C.UTF-8 LANGUAGE=en
unset LANG
failed=0
checked=0
for case in "$cases"/*/; do
  case=${case%/}
  mapfile -t templates < <(cd "$case" && { [[ -f template.dat ]] && echo template.dat; find files root -name '*.dat' -type f 2>/dev/null | LC_ALL=C sort; })
  ((${#templates[@]} > 0)) || continue
  report=""
  for template in "${templates[@]}"; do
    said=$(cd "$case" && "$routelet" --check-template="$template" 2>&1)
    status=$?
    checked=$((checked + 1))
    [[ -z "$said" && $status == 0 ]] || report+="$said"$'\n'"exit $status"$'\n'
  done
  report=$(printf '%s' "$report" | sed '/^$/d')
  expected=""
  [[ -f "$case/template-check" ]] && expected=$(grep -v '^#' "$case/template-check")
  if [[ -f "$case/template-check" && -z "$report" ]]; then
    echo "FAIL $(basename "$case"): its templates check clean; template-check is left over"
    failed=1
  elif [[ "$report" != "$expected" ]]; then
    echo "FAIL $(basename "$case"): the templates report"
    diff <(printf '%s\n' "$expected") <(printf '%s\n' "$report") | sed 's/^/  /'
    failed=1
  fi
done
echo "$checked templates checked"
((checked > 0)) || { echo "no golden case has a template"; exit 1; }
exit $failed
