#!/usr/bin/env bash
# End-to-end checks of the block commands through macros in tallivo-cli: COPY, MOVE, BLANK, the
# special copies, INSERT/DELETE ROW/COL, their refusals, and Undo of each as one step.
set -u
cli=${1:?usage: cli_blocks_test.sh PATH-TO-TALLIVO-CLI}
. "$(dirname "$0")/check_lib.sh"
tab=$'\t'
# Entry texts of the printed cells, one "CELL=TEXT" a line.
texts() { "$@" -p 2>&1 | awk -F'\t' '/\t/ {print $1 "=" $5} !/\t/ {print}'; }

check "COPY shifts relative references" \
  "A1=1
C1=1
A2=+A1*2
C2=+C1*2" \
  "$(texts "$cli" -e A1 1 -e A2 "+A1*2" --macro-text '{COPY A1..A2,C1}')"

check "Undo after a macro command puts the sheet back" \
  "A1=1
A2=+A1*2" \
  "$(texts "$cli" -e A1 1 -e A2 "+A1*2" --macro-text '{COPY A1..A2,C1}' --undo)"

check "MOVE carries references and range names" \
  "B1=+N*2
E1=3
B2=@SUM(N)
C5=3" \
  "$(texts "$cli" -e A1 3 -e B1 "+A1*2" -e B2 "@SUM(A1..A1)" --name N A1 \
      --macro-text '{MOVE A1,C5}{COPYVAL N,E1}')"

check "special copies: values, transposed, scaled, inverted, formulas" \
  "A1=4
B1=+A1/2
D1=4
E1=2
D2=4
F2=0.25
G2=0.5
D4=+A1/2
D5=12" \
  "$(texts "$cli" -e A1 4 -e B1 "+A1/2" --macro-text \
      '{COPYVAL A1..B1,D1}{COPYTRANS A1..A1,D2}{COPYINV A1..B1,F2}{COPYFORM B1,D4}{COPYSCALE A1,D5,3}')"

check "BLANK erases contents" \
  "A1=
A2=2" \
  "$(texts "$cli" -e A1 1 -e A2 2 --macro-text '{BLANK A1}')"

check "INSERTROW and DELETECOL shift cells and references" \
  "A1=+A3
A3=5" \
  "$(texts "$cli" -e B1 "+B2" -e B2 5 --macro-text '{INSERTROW A2}{DELETECOL A1}')"

check "DELETEROW makes references to deleted cells ERR" \
  "A1=+ERR
A2=7" \
  "$(texts "$cli" -e A1 "+A2" -e A2 1 -e A3 7 --macro-text '{DELETEROW A2}')"

check "a destination off the sheet stops the macro with Copy Error" \
  "Error: Copy Error
A1=1" \
  "$(texts "$cli" -e A1 1 -e A2 2 --macro-text '{COPY A1..A2,B8192}{LET B1,9}' | grep -v '^A2')"

check "a range that does not parse is a syntax error and changes nothing" \
  "Error: Syntax Error: 
A1=1" \
  "$(texts "$cli" -e A1 1 --macro-text '{COPY NUL,C1}')"

check "an insertion past the last column is refused" \
  "Error: Cells in last Column
IV1=1" \
  "$(texts "$cli" -e IV1 1 --macro-text '{INSERTCOL A1}')"

check "a macro in cells goes on after the rows it inserted above itself" \
  "B1=7" \
  "$(texts "$cli" -e A5 "'{INSERTROW A1}" -e A6 "'{LET B1,7}" --macro A5 | grep '^B')"

printf '%d passed, %d failed\n' "$passes" "$failures"
[ "$failures" -eq 0 ]
