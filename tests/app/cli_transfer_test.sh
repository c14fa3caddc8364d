#!/usr/bin/env bash
# End-to-end checks of FILEIMPORT, FILEEXPORT and FILEMERGE through macros in tallivo-cli:
# each kind, UTF-8 text both ways, a dBase round trip with start and count, merge options, the
# messages of a missing file and a bad kind, and Undo of an import.
set -u
cli=${1:?usage: cli_transfer_test.sh PATH-TO-TALLIVO-CLI}
. "$(dirname "$0")/check_lib.sh"
texts() { "$@" -p 2>&1 | awk -F'\t' '/\t/ {print $1 "=" $5} !/\t/ {print}'; }
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT

printf '1,"a, b" caf\xc3\xa9\n(1,\xe2\x82\xac\n' > "$dir/in.prn"
check "FILEIMPORT kinds 0 and 1: labels, and values split with a bad piece kept as a label" \
  "A1='1,\"a, b\" café
C1=1
D1='a, b
E1='café
A2='(1,€
C2='(1
D2='€" \
  "$(texts "$cli" --macro-text "{FILEIMPORT \"$dir/in.prn\",A1,0}{FILEIMPORT \"$dir/in.prn\",C1,1}")"

check "FILEEXPORT kinds 1 and 2 write UTF-8 with quotes where needed" \
  "\"x\",\"a, b\",\"é\"
x,\"a, b\",é" \
  "$("$cli" -e A1 "'x" -e B1 "'a, b" -e C1 "'é" \
       --macro-text "{FILEEXPORT \"$dir/q.prn\",A1..C1,1}{FILEEXPORT \"$dir/c.prn\",A1..C1,2}" 2>&1
     cat "$dir/q.prn" "$dir/c.prn")"

check "FILEEXPORT kind 3 and FILEIMPORT kind 3 with start and count" \
  "A1='N
A2=2
A3=3" \
  "$("$cli" -e A1 "'N" -e A2 1 -e A3 2 -e A4 3 -e A5 4 --format A1 F0 \
       --macro-text "{FILEEXPORT \"$dir/t.dbf\",A1..A5,3}" 2>&1
     texts "$cli" --macro-text "{FILEIMPORT \"$dir/t.dbf\",A1,3,1,2}")"

"$cli" -e A1 5 -e B1 "'lbl" -e A2 +A1*2 --name PART A1..A2 --save "$dir/m.wks" >/dev/null 2>&1
check "FILEMERGE: values by default, sum with S, formulas with f, a named block of the file" \
  "A1=15
A10=10
A2=+A1*2
A9=5
C3=5
C4=10
D3='lbl" \
  "$(texts "$cli" -e A1 10 --macro-text "{FILEMERGE \"$dir/m.wks\",C3}{FILEMERGE \"$dir/m.wks\",A1,\"A1..A1\",\"s\"}{FILEMERGE \"$dir/m.wks\",A2,\"A2..A2\",\"f\"}{FILEMERGE \"$dir/m.wks\",A9,\"part\",\"\"}" | sort -t= -k1,1)"

check "messages: a missing file by name, an unknown kind" \
  "Error: File Not Found! 
$dir/none.prn
Error: Syntax Error: " \
  "$("$cli" --macro-text "{FILEIMPORT \"$dir/none.prn\",A1,0}" 2>&1
     "$cli" --macro-text "{FILEIMPORT \"$dir/in.prn\",A1,7}" 2>&1)"

check "Undo takes back a whole import" \
  "" \
  "$(texts "$cli" --macro-text "{FILEIMPORT \"$dir/in.prn\",A1,1}" --undo)"

echo "cli_transfer_test: $passes passed, $failures failed"
[ "$failures" -eq 0 ]
