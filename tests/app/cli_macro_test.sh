#!/usr/bin/env bash
# End-to-end checks of macros in tallivo-cli: --macro, --macro-text, the headless entry line,
# answers from standard input, and the commands that need a window or permission.
set -u
cli=${1:?usage: cli_macro_test.sh PATH-TO-TALLIVO-CLI}
. "$(dirname "$0")/check_lib.sh"
tab=$'\t'

check "a FOR loop in cells sums the counter" \
  "D1${tab}integer${tab}6${tab}6 ${tab}6" \
  "$("$cli" -e A1 "'{FOR C1,1,3,1}" -e A2 "'{LET D1,D1+C1}" -e A3 "'{NEXT}" --macro A1 -p D1)"

check "a macro started by its range name" \
  "B1${tab}integer${tab}7${tab}7 ${tab}7" \
  "$("$cli" -e A5 "'{LET B1,7}" --name GO A5 --macro GO -p B1)"

check "keystrokes enter at the pointer and arrows move it" \
  "A1${tab}label${tab}abc${tab}abc${tab}'abc
A4${tab}integer${tab}12${tab}12 ${tab}12" \
  "$("$cli" --macro-text 'abc~{DOWN 3}12~' -p)"

check "text left pending at the end is dropped" \
  "" \
  "$("$cli" --macro-text 'abc' -p)"

check "a failed macro prints its message and later actions still run" \
  "Error: Syntax Error: A1
A2${tab}integer${tab}1${tab}1 ${tab}1
status 0" \
  "$("$cli" -e A1 "'{NOSUCH}" --macro A1 -e A2 1 -p A2 2>&1; echo "status $?")"

check "answers come from standard input, a line each" \
  "B1${tab}integer${tab}42${tab}42 ${tab}42
B2${tab}label${tab}y${tab}y${tab}'y
B3${tab}label${tab}Ann${tab}Ann${tab}'Ann" \
  "$(printf '42\nyes\nAnn\n' | "$cli" --macro-text '{GOTO B1}{?}{GET B2}{INLABEL "Name",B3}' -p 2>/dev/null)"

check "the prompt of INLABEL goes to standard error" \
  "Name" \
  "$(printf 'Ann\n' | "$cli" --macro-text '{INLABEL "Name",B3}' 2>&1 >/dev/null)"

check "a menu takes an item's name or number" \
  "D1${tab}integer${tab}2${tab}2 ${tab}2" \
  "$(printf 'nope\nquit\n' | "$cli" -e A1 "'{MENUBRANCH M1}" -e M1 "'Add" -e N1 "'Quit" \
       -e M3 "'{LET D1,1}" -e N3 "'{LET D1,2}" --macro A1 -p D1 2>/dev/null)"

check "the end of standard input is a Break" \
  "Error: Break! A1" \
  "$("$cli" -e A1 "'{?}" --macro A1 2>&1 </dev/null)"

check "commands that need a window say so" \
  "Error: Needs a window: GRAPH
Error: Needs a window: HELP
Error: Not available: INRANGE" \
  "$("$cli" --macro-text '{GRAPH}' --macro-text '{HELP}' --macro-text '{INRANGE A1,A2}' 2>&1)"

check "RANGEFORMAT gives the range the format its letters name" \
  "A1${tab}number${tab}1.5${tab}1.50 ${tab}1.5
A2${tab}integer${tab}3${tab}3.00 ${tab}3" \
  "$("$cli" -e A1 1.5 --macro-text '{RANGEFORMAT A1..A2,"F2"}' -e A2 3 -p)"

check "RANGELOCK unlocks for entry under protection and is refused while protected" \
  "Error: Protected Cell
Error: Protected Cell
B1${tab}integer${tab}5${tab}5 ${tab}5" \
  "$("$cli" --macro-text '{RANGELOCK B1,0}' --protect on -e B1 5 -e A1 6 \
       --macro-text '{RANGELOCK B1,1}' -p 2>&1)"

check "each macro command is one Undo" \
  "A1${tab}integer${tab}2${tab}2 ${tab}2" \
  "$("$cli" --macro-text '{LET A1,1}{LET A1,2}{LET A2,3}' --undo -p)"

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

check "EXEC is refused without --allow-exec" \
  "Error: EXEC refused
absent" \
  "$("$cli" --macro-text "{EXEC \"touch $tmp/made\"}" 2>&1; [ -e "$tmp/made" ] && echo present || echo absent)"

check "EXEC runs a program with --allow-exec, without a shell" \
  "present" \
  "$("$cli" --allow-exec --macro-text "{EXEC \"touch $tmp/made\"}" 2>&1; [ -e "$tmp/made" ] && echo present || echo absent)"

check "text files: write, read back, the end of the file" \
  "B1${tab}integer${tab}12${tab}12 ${tab}12
B2${tab}label${tab}two${tab}two${tab}'two
B4${tab}integer${tab}-1${tab}-1 ${tab}-1" \
  "$("$cli" --macro-text "{OPEN 1,2,\"$tmp/Data.txt\"}{WRITELN 1,12}{WRITELN 1,\"two\"}{CLOSE 1}" \
      --macro-text "{OPEN 1,1,\"$tmp/Data.txt\"}{READ 1,B1}{READ 1,B2}{READ 1,B3}{LET B4,@IORESULT}" -p)"

check "RANGECOLOR stores the colour word with the cell's attributes" \
  "0800 0c00 0000 0000 ff00 0000 00ff 0003" \
  "$("$cli" -e A1 1 --macro-text '{RANGECOLOR A1,65280,3}' -o "$tmp/colour.wks" &&
     od -An -tx1 "$tmp/colour.wks" | tr -d '\n' | grep -o '08 00 0c 00 00 00 00 00 ff 00 00 00 00 ff 00 03' |
     sed 's/\(..\) \(..\)/\1\2/g')"

check "macro buttons are saved, listed and kept through a load and a save" \
  "X-BUTTON 21 B3 96x30 \"Sum up\" macro ADDUP
X-BUTTON 13 A1 40x20 \"\" macro A10
same" \
  "$("$cli" --button B3 96 30 "Sum up" ADDUP --button A1 40 20 "" A10 -o "$tmp/buttons.wks" &&
     "$cli" --records "$tmp/buttons.wks" | grep -o 'X-BUTTON.*' | tr -s ' ' &&
     "$cli" "$tmp/buttons.wks" -o "$tmp/again.wks" && cmp -s "$tmp/buttons.wks" "$tmp/again.wks" &&
     echo same)"

check "placing a button is undone like any change" \
  "0" \
  "$("$cli" --button A1 40 20 Go GO --undo -o "$tmp/none.wks" &&
     "$cli" --records "$tmp/none.wks" | grep -c X-BUTTON)"

check "the file name keeps its case" \
  "Data.txt" \
  "$(ls "$tmp" | grep -i data)"

echo "cli_macro_test: $passes passed, $failures failed"
[ "$failures" -eq 0 ]
