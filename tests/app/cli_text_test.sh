#!/usr/bin/env bash
# tallivo-cli's text edge and its JSON listing: UTF-8 arguments become the engine's Windows-1252
# text, everything printed is UTF-8 again, file names stay bytes; --json escapes what JSON needs.
set -u
cli=${1:?usage: cli_text_test.sh PATH-TO-TALLIVO-CLI}
. "$(dirname "$0")/check_lib.sh"
tab=$'\t'
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

check "a UTF-8 text counts its characters, not its bytes" \
  "B1${tab}formula${tab}4${tab}4 ${tab}@LENGTH(A1)" \
  "$("$cli" -e A1 café -e B1 "@LENGTH(A1)" -p B1)"
check "@CHR(233) and the euro sign print as UTF-8" \
  "A1${tab}stringformula${tab}é${tab}é${tab}@CHR(233)
C1${tab}label${tab}€${tab}€${tab}'€" \
  "$("$cli" -e A1 "@CHR(233)" -e C1 "'€" -p)"
check "rows print as UTF-8" "café" "$("$cli" -e A1 "'café" --rows A1 | sed 's/ *$//')"
check "messages print as UTF-8" "Error: Unknown function @CAFé at 1" \
  "$("$cli" -e A1 "@café(1)" 2>&1)"
check "a range name with an accent" "A1${tab}integer${tab}7${tab}7 ${tab}7" \
  "$("$cli" -e A1 7 --name Été A1 -p Été)"

"$cli" -e A1 café -o "$work/tëst.wks" 2>&1
check "the saved file holds Windows-1252 bytes under the UTF-8 file name" "1" \
  "$(LC_ALL=C grep -c $'caf\xe9' "$work/tëst.wks")"
check "the file reads back to the same text" "A1${tab}label${tab}café${tab}café${tab}'café" \
  "$("$cli" "$work/tëst.wks" -p)"
check "the record listing prints the text as UTF-8" "1" \
  "$("$cli" --records "$work/tëst.wks" | grep -c "café")"

message=$("$cli" -e A1 "Zā" -p 2>&1)
status=$?
check "a character Windows-1252 lacks is refused with status 2" "2" "$status"
check "... with a message naming it" \
  "tallivo-cli: in the argument 'Zā': the character \"ā\" (U+0101) is not in the Windows-1252 character set" \
  "$message"
"$cli" -e A1 $'caf\xe9' >/dev/null 2>&1
check "malformed UTF-8 is refused with status 2" "2" "$?"

# --json: every kind, with the value as a number, a string or null.
check "--json lines for every kind" \
  '{"address":"A1","kind":"label","value":"café","display":"café","contents":"'"'"'café"}
{"address":"B1","kind":"formula","value":4,"display":"4 ","contents":"@LENGTH(A1)"}
{"address":"C1","kind":"stringformula","value":"é","display":"é","contents":"@CHR(233)"}
{"address":"D1","kind":"integer","value":5,"display":"5 ","contents":"5"}
{"address":"E1","kind":"number","value":2.5,"display":"2.50 ","contents":"2.5"}
{"address":"F1","kind":"error","value":"ERR","display":"ERR","contents":"@ERR"}
{"address":"A2","kind":"blank","value":null,"display":"","contents":""}' \
  "$("$cli" -e A1 café -e B1 "@LENGTH(A1)" -e C1 "@CHR(233)" -e D1 5 -e E1 2.5 --format E1 F2 \
       -e F1 "@ERR" --format A2 F2 -p --json)"
check "--json escapes quotes, backslashes and control characters" \
  '{"address":"A1","kind":"label","value":"say \"hi\"\\ \t|\n|\u0001","display":"say \"hi\"\\ \t|\n|\u0001","contents":"'"'"'say \"hi\"\\ \t|\n|\u0001"}' \
  "$("$cli" -e A1 $'say "hi"\\ \t|\n|\x01' -p --json)"
check "--json after the range" '{"address":"B2","kind":"integer","value":1,"display":"1 ","contents":"1"}' \
  "$("$cli" -e A1 2 -e B2 1 -p B2 --json)"
check "--json of a large number" \
  '{"address":"A1","kind":"number","value":1e+300,"display":"1E+300 ","contents":"1E+300"}' \
  "$("$cli" -e A1 1e300 -p --json)"

echo "$passes passed, $failures failed"
[ "$failures" -eq 0 ]
