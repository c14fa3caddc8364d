#!/usr/bin/env bash
# End-to-end checks of the clipboard in tallivo-cli: --clipboard-in and --clipboard-out in both
# formats, the macros EDITCOPY, EDITCUT and EDITPASTE, Undo, and hostile clipboard text.
set -u
cli=${1:?usage: cli_clipboard_test.sh PATH-TO-TALLIVO-CLI}
. "$(dirname "$0")/check_lib.sh"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
# Entry texts of the printed cells, one "CELL=TEXT" a line.
texts() { "$@" -p 2>&1 | awk -F'\t' '/\t/ {print $1 "=" $5} !/\t/ {print}'; }
attributes=';F255,C$C0000000,T255,H0,S0'

check "EDITCOPY puts entry texts with attributes in the private format, CR LF line ends" \
  "$(printf "1%s\t+A1*2%s\r\n'x%s\t\r\n" "$attributes" "$attributes" "$attributes")" \
  "$("$cli" -e A1 1 -e B1 +A1*2 -e A2 "'x" --macro-text '{EDITCOPY A1..B2}' \
     --clipboard-out private -)"

check "the plain text holds what the cells show, trimmed, with CR LF line ends" \
  "$(printf '$1,234.50\tx\r\n')" \
  "$("$cli" -e A1 1234.5 --format A1 C2 -e B1 "'x" --macro-text '{EDITCOPY A1..B1}' \
     --clipboard-out text -)"

printf '1\t2\r\n3\t4\n5\r\n' > "$tmp/numbers.txt"
check "plain text from another program fills a block; CR, LF and CR LF end lines" \
  "C3=1
D3=2
C4=3
D4=4
C5=5" \
  "$(texts "$cli" --clipboard-in text "$tmp/numbers.txt" --macro-text '{EDITPASTE C3..D9}')"

printf 'a;b\t1,000\t+A1\n' > "$tmp/foreign.txt"
check "plain text has no attributes; text that does not compile stays a label" \
  "A1='a;b
B1='1,000
C1=+A1" \
  "$(texts "$cli" --clipboard-in text "$tmp/foreign.txt" --macro-text '{EDITPASTE A1}')"

printf "'a;b;F2,C\$C0000000,T255,H0,S0\t7;F300,H12\t8;F2" > "$tmp/own.bin"
check "the private format: attributes from the last ;F and a digit, out-of-range values ignored" \
  "A1	label	a;b	a;b	'a;b
B1	integer	7	7 	7
C1	integer	8	8.00 	8" \
  "$("$cli" --clipboard-in private "$tmp/own.bin" --macro-text '{EDITPASTE A1}' -p)"

check "EDITCUT erases what it copied, and the paste brings it back" \
  "A1=
C1=+A1
B2=5" \
  "$(texts "$cli" -e A1 5 -e C1 +A1 --macro-text '{EDITCUT A1}' --macro-text '{EDITPASTE B2}')"

check "Undo of a paste is one step" \
  "A1=
C1=+A1" \
  "$(texts "$cli" -e A1 5 -e C1 +A1 --macro-text '{EDITCUT A1}' --clipboard-in text "$tmp/numbers.txt" \
     --macro-text '{EDITPASTE B2}' --undo)"

check "an empty clipboard pastes nothing; asking for a format it lacks fails" \
  "tallivo-cli: the clipboard holds no text
status 1" \
  "$("$cli" --macro-text '{EDITPASTE A1}' -p --clipboard-out text - 2>&1; echo "status $?")"

check "a bad format name is a usage error" \
  "2" \
  "$("$cli" --clipboard-in html "$tmp/own.bin" >/dev/null 2>&1; echo $?)"

head -c 200000 /dev/urandom > "$tmp/noise.bin"
check "random bytes in the private format do not crash the paste" \
  "0" \
  "$("$cli" --clipboard-in private "$tmp/noise.bin" --macro-text '{EDITPASTE A1}' >/dev/null 2>&1; echo $?)"

echo "cli_clipboard_test: $passes passed, $failures failed"
[ "$failures" -eq 0 ]
