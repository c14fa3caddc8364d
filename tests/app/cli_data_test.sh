#!/usr/bin/env bash
# End-to-end checks of the data and label tools through macros in tallivo-cli: DATASORT,
# DATAFILL, REPLACE, RANGEJUSTIFY, RANGEPREFIX and BLOCKCASE, their bad arguments, and Undo.
set -u
cli=${1:?usage: cli_data_test.sh PATH-TO-TALLIVO-CLI}
. "$(dirname "$0")/check_lib.sh"
# Entry texts of the printed cells, one "CELL=TEXT" a line.
texts() { "$@" -p 2>&1 | awk -F'\t' '/\t/ {print $1 "=" $5} !/\t/ {print}'; }
three=(-e A1 3 -e A2 1 -e A3 2 -e B1 x -e B2 y -e B3 z -e D1 +B3)

check "DATASORT moves whole rows; a formula outside keeps its position" \
  "A1=1
B1='y
D1=+B3
A2=2
B2='z
A3=3
B3='x" \
  "$(texts "$cli" "${three[@]}" --macro-text '{DATASORT A1..B3,A1,1}')"

check "DATASORT: an order other than 1 is descending; a key not written is undefined" \
  "A1=3
B1='x
D1=+B3
A2=2
B2='z
A3=1
B3='y" \
  "$(texts "$cli" "${three[@]}" --macro-text '{DATASORT A1..B3,A1,0,,}')"

check "DATASORT without key 1, or with NUL, does nothing" \
  "A1=3
A2=1" \
  "$(texts "$cli" -e A1 3 -e A2 1 --macro-text '{DATASORT A1..A2}{DATASORT A1..A2,NUL,1}')"

check "Undo after DATASORT puts the rows back" \
  "A1=3
A2=1" \
  "$(texts "$cli" -e A1 3 -e A2 1 --macro-text '{DATASORT A1..A2,A1}' --undo)"

check "DATASORT with a key that is not a range is a syntax error" \
  "Error: Syntax Error: " \
  "$("$cli" -e A1 3 --macro-text '{DATASORT A1..A2,B}' 2>&1 >/dev/null)"

check "DATAFILL by rows and by columns, Multiply" \
  "A1=1 B1=2 C1=3 E1=1 A2=4 B2=5 C2=6 E2=2 E3=4 A4=1 B4=3 C4=5 E4=8 A5=2 B5=4 C5=6" \
  "$(texts "$cli" --macro-text '{DATAFILL A1..C2,1,1,1,1}{DATAFILL A4..C5,1,1,1,0}{DATAFILL E1..E4,1,2,2,1}' | tr '\n' ' ' | sed 's/ $//')"

check "DATAFILL with a type outside 1..3 is a syntax error and fills nothing" \
  "Error: Syntax Error: 
Error: Syntax Error: " \
  "$("$cli" --macro-text '{DATAFILL A1..A2,1,1,4,1}' -p 2>&1; "$cli" --macro-text '{DATAFILL A1..A2,1,1,0,1}' -p 2>&1)"

check "DATAFILL stops before a value that is not finite" \
  "Error: Fill Overflow at A3
A1=10
A2=1E+200" \
  "$(texts "$cli" -e A1 7 --macro-text '{DATAFILL A1..A3,10,200,3,1}')"

check "REPLACE rewrites every formula through entry, Global with NUL" \
  "C1=+B1+B10
C2=@SUM(B1..B2)" \
  "$(texts "$cli" -e C1 "+A1+A10" -e C2 "@sum(a1..b2)" --macro-text '{REPLACE "A1","B1",NUL,0}' | grep '^C')"

check "REPLACE: case 1 must match; a range limits the scope" \
  "C1='Sum
D1='total
C2='total
D2='sum" \
  "$(texts "$cli" -e C1 "'Sum" -e C2 "'sum" -e D1 "'sum" -e D2 "'sum" \
      --macro-text '{REPLACE "sum","total",C1..C2,1}{REPLACE "SUM","total",D1}')"

check "REPLACE of x by xx is refused as circular" \
  "Error: Circular Replace Detected
C1='x" \
  "$(texts "$cli" -e C1 "'x" --macro-text '{REPLACE "x","xx"}')"

check "RANGEJUSTIFY sets the prefix of labels and empty positions; code 7 is refused" \
  "A1=^abc
B1=5
A2='/x
A3=^
Error: Invalid Justification!
Code = 7
A1='abc" \
  "$(texts "$cli" -e A1 abc -e A2 "'/x" -e B1 5 --macro-text '{RANGEJUSTIFY A1..A3,3}'
     texts "$cli" -e A1 abc --macro-text '{RANGEJUSTIFY A1..A2,7}')"

check "RANGEPREFIX takes a prefix character; another is a syntax error" \
  "A1=^abc
A2=^x
A3=7
Error: Syntax Error: 
A1='abc" \
  "$(texts "$cli" -e A1 abc -e A2 "'x" -e A3 7 --macro-text '{RANGEPREFIX A1..A3,"^"}'
     texts "$cli" -e A1 abc --macro-text '{RANGEPREFIX A1,"x"}')"

check "BLOCKCASE proper case and blanks; a mode outside 0..5 is a syntax error" \
  "A1='Hello Big World
Error: Syntax Error: 
A1='x" \
  "$(texts "$cli" -e A1 "'hello  big   world " --macro-text '{BLOCKCASE A1,2}{BLOCKCASE A1,3}'
     texts "$cli" -e A1 "'x" --macro-text '{BLOCKCASE A1,6}')"

check "--justify reflows and pads; too few rows are refused" \
  "A1='the   quick
A2='brown   fox
A3='jumps  over
A4='the    lazy
A5='dog
Error:  RANGE too Small. Expand it!
A1='the quick brown" \
  "$(texts "$cli" -e A1 "'the quick brown" -e A2 "'fox jumps over" -e A3 "'the lazy dog" --justify A1..A6 100 pad
     texts "$cli" -e A1 "'the quick brown" --justify A1..A1 100)"

echo "cli_data_test: $passes passed, $failures failed"
[ "$failures" -eq 0 ]
