#!/usr/bin/env bash
# End-to-end checks of tallivo-cli: each case runs the tool and compares standard output,
# standard error or the exit status with what a user must see.
set -u
cli=${1:?usage: cli_test.sh PATH-TO-TALLIVO-CLI}
. "$(dirname "$0")/check_lib.sh"
tab=$'\t'

check "number with comma format and a label" \
  "A1${tab}number${tab}1234.5${tab}1,234.50 ${tab}1234.5
A2${tab}label${tab}abc${tab}abc${tab}'abc" \
  "$("$cli" -e A1 1234.5 --format A1 M2 -e A2 "'abc" -p)"

check "integers, doubles and the shortest round-trip value" \
  "A1${tab}integer${tab}12${tab}12 ${tab}12
A2${tab}number${tab}0.1${tab}0.1 ${tab}0.1
A3${tab}number${tab}40000${tab}40000 ${tab}40000" \
  "$("$cli" -e A1 12 -e A2 .1 -e A3 40000 -p)"

check "format byte as a number and a print range" \
  "B2${tab}number${tab}3.25${tab}3-1/4 ${tab}3.25" \
  "$("$cli" -e A1 1 -e B2 3.25 --format B2 0x2B -p B2..C3)"

check "date entry in a D4 cell shows as a date" \
  "A1${tab}number${tab}35407${tab}12/08/1996 ${tab}35407" \
  "$("$cli" --format A1 D4 -e A1 12/08/1996 -p)"

check "undo reverts the last entry" \
  "A1${tab}integer${tab}1${tab}1 ${tab}1" \
  "$("$cli" -e A1 1 -e A1 2 --undo -p)"

check "fields escape backslash and tab" \
  "A1${tab}label${tab}a\\\\b\\tc${tab}a\\\\b\\tc${tab}'a\\\\b\\tc" \
  "$("$cli" -e A1 "a\\b${tab}c" -p)"

check "protection refuses an entry with a message on standard error" \
  "Error: Protected Cell" \
  "$("$cli" --protect on -e A1 5 -p 2>&1 >/dev/null)"

check "an unlocked cell takes entries under protection" \
  "C3${tab}integer${tab}5${tab}5 ${tab}5" \
  "$("$cli" --lock C3 off --protect on -e C3 5 -p C3)"

check "a range name can be used as a print range" \
  "B1${tab}integer${tab}2${tab}2 ${tab}2" \
  "$("$cli" -e A1 1 -e B1 2 --name TOTAL B1 -p total)"

check "rows as fixed-width text" \
  "        1 abc" \
  "$("$cli" -e A1 1 -e B1 "'abc" --width A 8 --rows A1..B1 | sed 's/ *$//')"

check "formula code in file form" \
  "02 FF BF 02 80 FF BF 00 80 05 05 00 50 02 03" \
  "$("$cli" -e B1 "@SUM(A1..A3,5)" --code B1)"

check "formulas compute on entry and show their text" \
  "C1${tab}formula${tab}6${tab}6 ${tab}+A1*2" \
  "$("$cli" -e A1 3 -e C1 "+A1*2" -p C1)"

check "a compile error is reported with its message and leaves no cell" \
  "Error: Missing ) at 3" \
  "$("$cli" -e A1 "+(" -p 2>&1)"

"$cli" -e IW1 5 >/dev/null 2>&1
check "an invalid cell is an invalid argument" "2" "$?"
"$cli" --no-such-action >/dev/null 2>&1
check "an unknown action exits with status 2" "2" "$?"
"$cli" --format A1 >/dev/null 2>&1
check "a missing argument exits with status 2" "2" "$?"

check "version" "tallivo-cli" "$("$cli" --version | cut -d' ' -f1)"

echo "$passes passed, $failures failed"
[ "$failures" -eq 0 ]
