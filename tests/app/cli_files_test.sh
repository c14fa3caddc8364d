#!/usr/bin/env bash
# End-to-end checks of tallivo-cli with worksheet files: save with -o, load FILE, --records.
set -u
cli=${1:?usage: cli_files_test.sh PATH-TO-TALLIVO-CLI}
. "$(dirname "$0")/check_lib.sh"
tab=$'\t'
work=$(mktemp -d /tmp/tallivo-cli-files-XXXXXX)
trap 'rm -rf "$work"' EXIT

"$cli" -e A1 1234.5 --format A1 M2 -e A2 "'abc" --width B 20 --name TOTAL A1 -o "$work/budget"
check "a name without a dot gets .wks in its own case" "yes" "$([ -f "$work/budget.wks" ] && echo yes)"
check "a saved file loads with its cells, formats, widths and names" \
  "A1${tab}number${tab}1234.5${tab}1,234.50 ${tab}1234.5
A2${tab}label${tab}abc${tab}abc${tab}'abc" \
  "$("$cli" "$work/budget" -p)"
check "range names come back" "A1${tab}number${tab}1234.5${tab}1,234.50 ${tab}1234.5" \
  "$("$cli" "$work/budget" -p total)"
check "column widths come back" \
  "$("$cli" -e A1 1234.5 --format A1 M2 -e A2 "'abc" --width B 20 -e C1 7 --rows A1..C1)" \
  "$("$cli" "$work/budget.wks" -e C1 7 --rows A1..C1)"

"$cli" -e A1 1 -o "$work/budget" >/dev/null 2>&1
check "saving again keeps a backup" "yes" "$([ -f "$work/budget.wkb" ] && echo yes)"

records=$("$cli" --records "$work/budget.wks")
check "the record list starts with BOF" "00000000 0000 BOF               2" "$(echo "$records" | head -1)"
check "the record list shows cells" "000D INTEGER           7 A1 format FF 1" \
  "$(echo "$records" | grep INTEGER | cut -c10-)"

check "a missing file is reported" "Error: Unable to Open File" \
  "$("$cli" "$work/missing.wks" -p 2>&1 >/dev/null)"
"$cli" "$work/missing.wks" >/dev/null 2>&1
check "a missing file ends the run with status 1" "1" "$?"

printf 'not a worksheet' >"$work/text.wks"
check "a damaged file names the record" "Error: Error at Record: 1" \
  "$("$cli" "$work/text.wks" -p 2>&1 >/dev/null | head -n 1)"

echo "$passes passed, $failures failed"
[ "$failures" -eq 0 ]
