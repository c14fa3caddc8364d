#!/usr/bin/env bash
# End-to-end checks of Undo and Redo in tallivo-cli: many levels, Redo after Undo, a new change
# clearing Redo, and Undo on a sheet of 802,816 numbers written column by column.
set -u
cli=${1:?usage: undo_test.sh PATH-TO-TALLIVO-CLI}
. "$(dirname "$0")/check_lib.sh"
tab=$'\t'
work=$(mktemp -d /tmp/tallivo-undo-XXXXXX)
trap 'rm -rf "$work"' EXIT

check "undo goes back level by level" \
  "A1${tab}integer${tab}1${tab}1 ${tab}1" \
  "$("$cli" -e A1 1 -e A2 2 -e A3 3 --undo --undo -p)"

check "redo puts back what undo took" \
  "A1${tab}integer${tab}1${tab}1 ${tab}1
A2${tab}integer${tab}2${tab}2 ${tab}2" \
  "$("$cli" -e A1 1 -e A2 2 -e A3 3 --undo --undo --redo -p)"

check "undo of a replaced formula brings back the formula and its value" \
  "B1${tab}formula${tab}14${tab}14 ${tab}+A1*2" \
  "$("$cli" -e A1 7 -e B1 +A1*2 -e B1 "'text" --undo -p B1)"

check "undo and redo of a number recalculate its dependents" \
  "B1${tab}formula${tab}10${tab}10 ${tab}+A1*2
B1${tab}formula${tab}18${tab}18 ${tab}+A1*2" \
  "$("$cli" -e A1 5 -e B1 +A1*2 -e A1 9 --undo -p B1 --redo -p B1)"

check "undo of a format, a lock and a width" \
  "A1${tab}number${tab}1.5${tab}1.5 ${tab}1.5
Error: Protected Cell
1.5" \
  "$("$cli" -e A1 1.5 --format A1 F2 --undo -p A1 2>&1
     "$cli" --lock C3 off --undo --protect on -e C3 5 -p C3 2>&1
     "$cli" -e A1 1.5 --width A 2 --undo --rows A1..A1 | sed 's/^ *//; s/ *$//')"

check "a new change clears redo" \
  "B1${tab}integer${tab}3${tab}3 ${tab}3" \
  "$("$cli" -e A1 1 --undo -e B1 3 --redo -p)"

check "nothing to undo or redo leaves the sheet as it is" \
  "A1${tab}integer${tab}1${tab}1 ${tab}1" \
  "$("$cli" -e A1 1 --redo --undo --undo --redo -p)"

check "undo of a range formula leaves a file without its placeholders" \
  "$("$cli" -e A1 5 -o "$work/one.wks" >/dev/null; "$cli" --records "$work/one.wks" | cut -f2-)" \
  "$("$cli" -e A1 5 -e B1 "@SUM(C1..F900)" --undo -o "$work/two.wks" >/dev/null;
     "$cli" --records "$work/two.wks" | cut -f2-)"

# 98 columns of 8192 numbers, written column by column; the cell in column c, row r holds
# r/2 + c.
perl -e 'binmode STDOUT; print pack("vvv", 0, 2, 0x0404);
  for $c (0 .. 97) { for $r (0 .. 8191) { print pack("vvCvvd<", 0x0E, 13, 0xFF, $c, $r, $r / 2 + $c) } }
  print pack("vv", 1, 0)' >"$work/big.wk1"
check "undo on a sheet of 802,816 numbers" \
  "A1${tab}integer${tab}5${tab}5 ${tab}5
A2${tab}number${tab}0.5${tab}0.5 ${tab}0.5" \
  "$("$cli" "$work/big.wk1" -e A1 5 -e A2 7 --undo -p A1..A2 2>&1)"

echo "$passes passed, $failures failed"
[ "$failures" -eq 0 ]
