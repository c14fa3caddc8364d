#!/usr/bin/env bash
# End-to-end checks of the data and array macro commands in tallivo-cli (--macro-text).
set -u
cli=${1:?usage: cli_analysis_test.sh PATH-TO-TALLIVO-CLI}
. "$(dirname "$0")/check_lib.sh"
tab=$'\t'
line() { cut -f1,5; }  # address and contents

check "DATAREGRESS writes the statistics and the fitted line" \
  "D1	'Intercept
E1	0
D2	'Slope
E2	2
D3	'R^2
E3	1
E12	+2*@X" \
  "$("$cli" -e A1 1 -e A2 2 -e A3 3 -e B1 2 -e B2 4 -e B3 6 \
      --macro-text "{DATAREGRESS A1..A3,B1..B3,D1}" -p D1..E3 -p E12 | line)"

check "DATAMULREG takes its terms as literal text, one group per X column" \
  "E1	'Const
E2	'x1
E3	'x2^2
F4	'3+2*A1+1*B1^2" \
  "$("$cli" -e A1 1 -e B1 1 -e A2 2 -e B2 2 -e A3 0 -e B3 3 -e A4 5 -e B4 1 \
      -e C1 6 -e C2 11 -e C3 12 -e C4 14 \
      --macro-text '{DATAMULREG A1..B4,C1..C4,E1,"01/2"}' -p E1..E3 -p F4 | line)"

check "DATAMULREG refuses a term letter it does not know" \
  "Error: Syntax Error: " \
  "$("$cli" -e A1 1 -e B1 2 --macro-text '{DATAMULREG A1..A2,B1..B2,D1,0X}' -p 2>&1 >/dev/null)"

check "DATATABLE with NUL is a one-input table and puts the input back" \
  "A1	7
C1	+A1*2
B2	1
C2	2
B3	2
C3	4" \
  "$("$cli" -e A1 7 -e C1 +A1*2 -e B2 1 -e B3 2 --macro-text '{DATATABLE A1,NUL,B1..C3}' -p | line)"

check "DATAGOAL brings the output to the desired value" \
  "3" \
  "$("$cli" -e A1 1 -e B1 +A1*A1 --macro-text '{DATAGOAL A1,B1,9,0.00001}{LET C1,@ROUND(A1,4)}' \
      -p C1 | cut -f3)"

check "DATABIN with type 1 counts a <= x < b" \
  "D1	1
D2	3
D3	1" \
  "$("$cli" -e A1 1 -e A2 2 -e A3 2 -e A4 3 -e A5 5 -e C1 2 -e C2 4 \
      --macro-text '{DATABIN A1..A5,C1..C2,1}' -p D1..D3 | line)"

check "DATAPARSE splits a label into entered fields" \
  "A1	1
B1	2
C1	'a, b" \
  "$("$cli" -e A1 "'1,2,\"a, b\"" --macro-text '{DATAPARSE A1}' -p | line)"

check "DATAQUERY extracts the matching records" \
  "E1	'Name
E2	'Smith
E3	'Stone" \
  "$("$cli" -e A1 "'Name" -e A2 "'Smith" -e A3 "'Jones" -e A4 "'Stone" -e C1 "'name" -e C2 "'S*" \
      -e E1 "'Name" --macro-text '{DATAQUERY A1..A4,C1..C2,E1}' -p E1..E4 | line)"

check "MATMLT over its own input, MATADD, MATSUB and MATINV" \
  "A1	7
B1	10
A2	15
B2	22
G1	14
G4	0
D3	5.5
E3	-2.5" \
  "$("$cli" -e A1 1 -e B1 2 -e A2 3 -e B2 4 \
      --macro-text '{MATMLT A1..B2,A1..B2,A1}{MATADD A1..B2,A1..B2,G1}{MATSUB A1..B2,A1..B2,G4}{MATINV A1..B2,D3}' \
      -p A1..B2 -p G1 -p G4 -p D3..E3 | line)"

check "MATDET, MATSLV and MATLIN" \
  "D1	5
E1	1
E2	3
J1	'MAX
K1	12" \
  "$("$cli" -e A1 2 -e B1 1 -e C1 5 -e A2 1 -e B2 3 -e C2 10 \
      --macro-text '{MATSLV A1..C2,E1}{MATDET A1..B2,D1}' -p D1 -p E1..E2 | line
     "$cli" -e A1 1 -e B1 1 -e C1 "'LE" -e D1 4 -e A2 1 -e B2 3 -e C2 "'LE" -e D2 6 -e A3 3 \
      -e B3 2 -e D3 "'MAX" --macro-text '{MATLIN A1..D3,J1}' -p J1..K1 | line)"

check "refusals stop the macro with their message" \
  "Error: Array size mismatch
Error: Needs a window: DATAFORM" \
  "$("$cli" --macro-text '{MATSLV A1..B2,E1}{LET Z1,1}' -p Z1 2>&1
     "$cli" --macro-text '{DATAFORM A1..B2}' 2>&1)"

echo "cli_analysis_test: $passes passed, $failures failed"
[ "$failures" -eq 0 ]
