#!/usr/bin/env bash
# End-to-end checks of the document information in tallivo-cli: the FILEDOC macro command in both
# of its forms, the texts kept through a save, and their listing by --records.
set -u
cli=${1:?usage: cli_document_info_test.sh PATH-TO-TALLIVO-CLI}
. "$(dirname "$0")/check_lib.sh"
work=$(mktemp -d /tmp/tallivo-cli-docinfo-XXXXXX)
trap 'rm -rf "$work"' EXIT

texts() {  # FILE: the X-TITLE, X-INFO and X-COMMENTS lines without offset and type number
  "$cli" --records "$1" | grep -E ' X-(TITLE|INFO|COMMENTS) ' | cut -c17-
}

"$cli" -o "$work/empty" >/dev/null
check "a new sheet lists empty texts" \
  "X-TITLE           1 text \"\"
X-INFO            1 text \"\"
X-COMMENTS        1 text \"\"" \
  "$(texts "$work/empty.wks")"

"$cli" --macro-text '{FILEDOC "Budget 2026","first"&@CHR(13)&"a\b"&@CHR(9)&"c"&@CHR(10)&"d"}' \
  -o "$work/both" >/dev/null
check "title and comments, line ends as carriage returns, escapes as -p writes them" \
  "X-TITLE          12 text \"Budget 2026\"
X-INFO            1 text \"\"
X-COMMENTS       14 text \"first\\ra\\\\b\\tc\\rd\"" \
  "$(texts "$work/both.wks")"

"$cli" "$work/both" --macro-text '{FILEDOC 1,"only the comments"}' -o "$work/second" >/dev/null
check "FILEDOC 1 replaces the comments and keeps the title" \
  "X-TITLE          12 text \"Budget 2026\"
X-INFO            1 text \"\"
X-COMMENTS       18 text \"only the comments\"" \
  "$(texts "$work/second.wks")"

"$cli" "$work/second" --macro-text '{FILEDOC 0,"T"&@REPEAT("x",100)}' -o "$work/long" >/dev/null
check "a title is cut at 80 characters" \
  "X-TITLE          81 text \"T$(printf 'x%.0s' $(seq 79))\"" \
  "$("$cli" --records "$work/long.wks" | grep ' X-TITLE ' | cut -c17-)"

check "FILEDOC with another number is a syntax error" "Error: Syntax Error: " \
  "$("$cli" --macro-text '{FILEDOC 2,"x"}' 2>&1)"
check "FILEDOC with a second argument that is no string is a syntax error" "Error: Syntax Error: " \
  "$("$cli" --macro-text '{FILEDOC "t",5}' 2>&1)"

"$cli" --macro-text '{FILEDOC "Undone","gone"}' --undo -o "$work/undone" >/dev/null
check "one undo takes both texts back" \
  "X-TITLE           1 text \"\"
X-INFO            1 text \"\"
X-COMMENTS        1 text \"\"" \
  "$(texts "$work/undone.wks")"

echo "$passes passed, $failures failed"
[ "$failures" -eq 0 ]
