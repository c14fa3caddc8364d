#!/usr/bin/env bash
# tallivo-cli's exit status for files that are not worksheets: a file that yields no cell at all
# ends the run with status 1 after the messages; a damaged file that yielded cells goes on.
set -u
cli=${1:?usage: cli_exit_test.sh PATH-TO-TALLIVO-CLI}
. "$(dirname "$0")/check_lib.sh"
tab=$'\t'
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

"$cli" -e A1 5 -e B1 x -e C1 "+A1*2" -o "$work/good.wks" || exit 1
size=$(stat -c %s "$work/good.wks")
: >"$work/empty.wks"
RANDOM=7
escapes=""
for _ in $(seq 3000); do
  printf -v byte '\\x%02x' $((RANDOM % 256))
  escapes+=$byte
done
printf "$escapes" >"$work/random.wks"
printf 'just some text\n' >"$work/text.wks"
head -c 40 "$work/good.wks" >"$work/head.wks"
head -c $((size - 30)) "$work/good.wks" >"$work/cut.wks"

# file | exit status | first line of standard error (empty when none), record number left out
while IFS='|' read -r file status error; do
  stderr=$("$cli" "$work/$file" -e D1 1 -p 2>&1 >/dev/null)
  actual=$?
  check "exit status for $file" "$status" "$actual"
  check "first message for $file" "$error" "$(printf '%s\n' "$stderr" | head -n 1 | sed 's/[0-9]*$//')"
  if [ "$status" = 1 ]; then
    check "second message for $file" \
      "tallivo-cli: $work/$file: not a worksheet file, nothing could be read" \
      "$(printf '%s\n' "$stderr" | sed -n 2p)"
  fi
done <<'TABLE'
good.wks|0|
empty.wks|1|Error: Error at Record: 
random.wks|1|Error: Error at Record: 
text.wks|1|Error: Error at Record: 
head.wks|1|Error: Error at Record: 
cut.wks|0|Error: Error at Record: 
TABLE

check "a file cut short keeps the cells that were read and runs the actions" \
  "A1${tab}integer${tab}5${tab}5 ${tab}5
B1${tab}label${tab}x${tab}x${tab}'x
C1${tab}formula${tab}10${tab}10 ${tab}+A1*2
D1${tab}integer${tab}1${tab}1 ${tab}1" \
  "$("$cli" "$work/cut.wks" -e D1 1 -p 2>/dev/null)"
"$cli" "$work/missing.wks" -p >/dev/null 2>&1
check "a missing file ends the run with status 1" "1" "$?"

echo "$passes passed, $failures failed"
[ "$failures" -eq 0 ]
