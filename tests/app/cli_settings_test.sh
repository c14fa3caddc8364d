#!/usr/bin/env bash
# End-to-end checks of the macro commands of the settings dialogs in tallivo-cli: COLWIDTH,
# ROWHEIGHT, BORDER and the GEN... commands, each one change that one Undo takes back.
set -u
cli=${1:?usage: cli_settings_test.sh PATH-TO-TALLIVO-CLI}
. "$(dirname "$0")/check_lib.sh"
tab=$'\t'
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

widths() {  # the widths of columns A..D in characters, as @CELL reads them
  "$cli" "$@" -e A9 '@CELL("width",A1)' -e B9 '@CELL("width",B1)' -e C9 '@CELL("width",C1)' \
    -e D9 '@CELL("width",D1)' -p A9..D9 | cut -f3 | tr '\n' ' '
}

check "COLWIDTH sets the range's columns; 255 gives back the default" \
  "10 8 10 8 " "$(widths --macro-text '{COLWIDTH A1..C1,10}{COLWIDTH B1,255}')"

check "one Undo takes back the whole COLWIDTH" \
  "8 8 8 8 " "$(widths --macro-text '{COLWIDTH A1..D1,12}' --undo)"

check "GENOPTION O sets the default width, and columns of the default width follow it" \
  "12 10 10 10 " "$(widths --macro-text '{COLWIDTH A1,12}' --macro-text '{GENOPTION "O80"}')"

check "ROWHEIGHT sets the heights of the range's rows in pixels" \
  "A9${tab}formula${tab}30${tab}30 ${tab}@CELL(\"height\",A2)" \
  "$("$cli" --macro-text '{ROWHEIGHT A2..A3,30}' -e A9 '@CELL("height",A2)' -p A9)"

# Blank cells carry a border only where BORDER put one: "Out" leaves the middle of B2..D4 alone,
# "In" gives every cell of it an inner edge.
blanks() {
  "$cli" --macro-text "$1" -o "$work/b.wks" >/dev/null
  "$cli" --records "$work/b.wks" | grep ' BLANK ' | awk '{print $5}' | tr '\n' ' '
}
check "BORDER 1 draws around the range" "B2 C2 D2 B3 D3 B4 C4 D4 " "$(blanks '{BORDER 1,B2..D4}')"
check "BORDER 0 draws inside the range" "B2 C2 D2 B3 C3 D3 B4 C4 D4 " "$(blanks '{BORDER 0,B2..D4}')"
check "BORDER 3 clears what BORDER 2 drew" "" "$(blanks '{BORDER 2,B2..C3}{BORDER 3,B2..C3}')"

check "GENOPTION switches zero suppression, pages and the label prefix; GENFORMAT and GENADV the display" \
  "A:A1${tab}integer${tab}0${tab}${tab}0
A:A2${tab}number${tab}1.5${tab}1,50 ${tab}1,5
A:A3${tab}label${tab}x${tab}x${tab}^x" \
  "$("$cli" -e A1 0 -e A2 1.5 --macro-text '{GENOPTION "ZN,D2,CY"}{GENFORMAT "F2"}{GENADV "D,"}' -e A3 x -p)"

check "GENADV CP sets the currency symbol" \
  "A1${tab}integer${tab}5${tab}Dm5.00  ${tab}5" \
  "$("$cli" --macro-text '{GENADV "CPDm"}' -e A1 5 --format A1 C2 -p)"

check "GENOPTION AN turns automatic recalculation off" \
  "A2${tab}formula${tab}1${tab}1 ${tab}+A1" \
  "$("$cli" -e A1 1 -e A2 +A1 --macro-text '{GENOPTION "AN"}' -e A1 5 -p A2)"

"$cli" --macro-text '{GENFONT "Courier,10,BI,0"}' -o "$work/f.wks" >/dev/null
check "GENFONT gives the worksheet window its typeface" \
  "X-WINDOWFONT" "$("$cli" --records "$work/f.wks" | grep -o 'X-WINDOWFONT')"

echo "$passes passed, $failures failed"
[ "$failures" -eq 0 ]
