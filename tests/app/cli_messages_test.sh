#!/usr/bin/env bash
# tallivo-cli and formulas that do not compile: each prints a message that names the problem (and
# where it was found), and the entry leaves the cell as it was.
set -u
cli=${1:?usage: cli_messages_test.sh PATH-TO-TALLIVO-CLI}
. "$(dirname "$0")/check_lib.sh"
tab=$'\t'

# formula | message on standard error
while IFS='|' read -r formula message; do
  check "message for $formula" "Error: $message" "$("$cli" -e A1 "$formula" 2>&1 >/dev/null)"
done <<'TABLE'
@SUM(A1..A3|Missing ) at 12
5 5|Operator expected at 3
@PI()|Wrong number of arguments for @PI at 1
+A1+|Operand expected at 5
@FOO(1)|Unknown function @FOO at 1
@ROUND(1.5)|Wrong number of arguments for @ROUND at 1
+A1..A3|Range outside a function
+B1 * 2|Unexpected space at 4
(1,2)|Unexpected , at 3
+NOSUCHNAME|Unknown name or reference NOSUCHNAME at 2
TABLE

check "a failed entry into an empty cell leaves no cell, nor cells for its references" \
  "" "$("$cli" -e B1 "+A1+" -p 2>/dev/null)"
check "a failed entry keeps the formula that was there" \
  "A1${tab}formula${tab}3${tab}3 ${tab}+1+2" \
  "$("$cli" -e A1 1+2 -e A1 "@FOO(" -p 2>/dev/null)"
check "a failed entry keeps the number that was there" \
  "A1${tab}number${tab}2.5${tab}2.5 ${tab}2.5" \
  "$("$cli" -e A1 2.5 -e A1 "@FOO(" -p 2>/dev/null)"
check "a failed entry keeps the string formula that was there" \
  "A1${tab}stringformula${tab}xy${tab}xy${tab}+\"x\"&\"y\"" \
  "$("$cli" -e A1 '+"x"&"y"' -e A1 "@FOO(" -p 2>/dev/null)"
check "a failed entry keeps the dependents of a formula it replaces up to date" \
  "B1${tab}formula${tab}20${tab}20 ${tab}+A1*2" \
  "$("$cli" -e C1 5 -e A1 +C1 -e B1 +A1*2 -e A1 "+(" -e C1 10 -p B1 2>/dev/null)"

echo "$passes passed, $failures failed"
[ "$failures" -eq 0 ]
