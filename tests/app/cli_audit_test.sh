#!/usr/bin/env bash
# End-to-end checks of the audit actions of tallivo-cli: --tree and --xref, their output forms
# and bad arguments.
set -u
cli=${1:?usage: cli_audit_test.sh PATH-TO-TALLIVO-CLI}
. "$(dirname "$0")/check_lib.sh"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
tab=$'\t'
sheet=(-e A1 5 -e B1 +A1 -e C1 +B1*2 -e D1 +A1+B1)

check "--tree at depth 1 lists the direct dependents" \
  "A1: 5
  B1: +A1
  D1: +A1+B1
Total References: 2" \
  "$("$cli" "${sheet[@]}" --tree A1 1 2>&1)"

check "--tree of a cell no formula refers to, and of an empty cell" \
  "C1: +B1*2
Total References: 0
Z99: 
Total References: 0" \
  "$("$cli" "${sheet[@]}" --tree C1 5 --tree Z99 5 2>&1)"

refs=()
for row in $(seq 1 20); do refs+=(-e "F$row" +A1); done
check "--xref to standard output: cells with dependents, long lists continued" \
  "SHEET1.WKS : Cross Reference Report 

CELL${tab} TYPE${tab} COUNT${tab}: REFERENCES

A1${tab} Integer 3${tab} 22${tab}: B1,D1,F1,F2,F3,F4,F5,F6,F7,F8,F9,F10,F11
${tab}${tab}${tab}: F12,F13,F14,F15,F16,F17,F18,F19,F20
B1${tab} Form 1${tab} 2${tab}: C1,D1" \
  "$("$cli" "${sheet[@]}" "${refs[@]}" --xref A1..E9 - 2>&1)"

"$cli" -e A1 "'x" -e A2 "@LEFT(A1,1)" -e A3 +A2 -o "$tmp/book" >/dev/null 2>&1
"$cli" "$tmp/book.wks" --xref A1..A3 "$tmp/report.txt" >"$tmp/out" 2>&1
check "--xref to a file writes the report there, titled with the sheet's file name" \
  "$tmp/book.wks : Cross Reference Report 

CELL${tab} TYPE${tab} COUNT${tab}: REFERENCES

A1${tab} String 4${tab} 1${tab}: A2
A2${tab} Form 0${tab} 1${tab}: A3
--" \
  "$(cat "$tmp/report.txt"; echo --; cat "$tmp/out")"

"$cli" --xref A1 "$tmp/no/such/dir/report.txt" >/dev/null 2>"$tmp/err"
check "--xref to a file that cannot be written fails" \
  "1 tallivo-cli: cannot write $tmp/no/such/dir/report.txt" "$? $(cat "$tmp/err")"

for bad in "--tree A1 -1" "--tree A1 x" "--tree A0 1" "--tree A1" "--xref A1..B2"; do
  # shellcheck disable=SC2086
  "$cli" $bad >/dev/null 2>&1
  check "bad arguments: $bad" 2 $?
done

echo "$passes passed, $failures failed"
[ "$failures" -eq 0 ]
