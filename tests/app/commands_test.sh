#!/usr/bin/env bash
# End-to-end checks that the batch tool changes the worksheet through the commands layer:
# protection refuses what the desktop refuses, Undo reverts any command, and an external
# reference to a file that is not open reads that file.
set -u
cli=${1:?usage: commands_test.sh PATH-TO-TALLIVO-CLI}
. "$(dirname "$0")/check_lib.sh"
tab=$'\t'
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

check "a locked cell under protection refuses an entry" \
  "Error: Protected Cell" \
  "$("$cli" -e A1 1 --protect on -e A1 2 2>&1 >/dev/null)"

check "the refused entry leaves the cell as it was" \
  "A1${tab}integer${tab}1${tab}1 ${tab}* Protected *" \
  "$("$cli" -e A1 1 --protect on -e A1 2 -p 2>/dev/null)"

check "a format under protection leaves locked cells alone" \
  "A1${tab}number${tab}1.5${tab}1.5 ${tab}* Protected *" \
  "$("$cli" -e A1 1.5 --protect on --format A1 F2 -p 2>/dev/null)"

check "the lock of cells cannot change under protection" \
  "Error: Protected Cell" \
  "$("$cli" -e A1 1 --protect on --lock A1 off 2>&1 >/dev/null)"

check "undo after a format gives the former format back" \
  "A1${tab}number${tab}1234.5${tab}1234.5 ${tab}1234.5" \
  "$("$cli" -e A1 1234.5 --format A1 M2 --undo -p)"

check "undo after a column width gives the former width back" \
  "$("$cli" -e A1 1 --rows A1..A1)" \
  "$("$cli" -e A1 1 --width A 20 --undo --rows A1..A1)"

"$cli" -e A1 42 -o "$work/other.wks" >/dev/null
check "an external reference to a file that is not open loads it" \
  "A1${tab}formula${tab}84${tab}84 ${tab}+[$work/other.wks]A1*2" \
  "$("$cli" -e A1 "+[$work/other.wks]A1*2" -p)"

check "an external reference to a missing file is ERR without a message" \
  "A1${tab}error${tab}ERR${tab}ERR${tab}+[$work/none.wks]A1" \
  "$("$cli" -e A1 "+[$work/none.wks]A1" -p 2>&1)"

"$cli" -e A1 42 -e A2 "'hi" -o "$work/linked.wks" >/dev/null
check "@LINK shows N/A until the link update reads the file" \
  "A1${tab}stringformula${tab}N/A${tab}N/A${tab}@LINK(\"$work/linked.wks>A1\")
A1${tab}formula${tab}42${tab}42 ${tab}@LINK(\"$work/linked.wks>A1\")
A2${tab}stringformula${tab}hi${tab}hi${tab}@LINK(\"$work/linked.wks>A2\")" \
  "$("$cli" -e A1 "@LINK(\"$work/linked.wks>A1\")" -p A1 -e A2 "@LINK(\"$work/linked.wks>A2\")" --uplink -p)"

echo "$passes passed, $failures failed"
[ "$failures" -eq 0 ]
