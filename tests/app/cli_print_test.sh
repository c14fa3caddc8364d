#!/usr/bin/env bash
# End-to-end checks of printing in tallivo-cli: the page listing with page breaks, hidden rows,
# border rows and header codes; the PRINT... settings commands and what a file keeps of them;
# PRINTFILE's text; print jobs without and with a printer; "Margins Too Large"; bad options.
set -u
cli=${1:?usage: cli_print_test.sh PATH-TO-TALLIVO-CLI}
. "$(dirname "$0")/check_lib.sh"
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT

check "pages: a page break starts a page, a |x row is hidden, |Ok prints; header parts" \
  "page 1 columns A..B rows 1-2
header Page 1||SHEET1.WKS
page 2 columns A..B rows 5-6
header Page 2||SHEET1.WKS" \
  "$("$cli" -e A1 "'a" -e B1 1 -e B2 2 -e A3 '|::' -e A4 '|x' -e A5 '|Ok' -e B6 6 \
       --macro-text '{PRINTHEAD "Page #|^F"}' --pages 2>&1)"

check "pages: a one-part header is centred, footer codes per page, strips of 11 columns" \
  "page 1 columns A..K rows 1-59
header |Sheet|
footer |1 of #|
page 2 columns A..K rows 60-80
header |Sheet|
footer |2 of #|
page 3 columns L..L rows 1-59
header |Sheet|
footer |3 of #|
page 4 columns L..L rows 60-80
header |Sheet|
footer |4 of #|" \
  "$("$cli" --macro-text '{PRINTHEAD "Sheet"}{PRINTFOOT "^P of #"}' --pages A1..L80 2>&1 |
     sed 's/of [0-9]*|$/of #|/')"

check "pages: border rows repeat without being listed; margins and scale change the page" \
  "page 1 columns A..K rows 3-27
page 2 columns A..K rows 28-40" \
  "$("$cli" --macro-text '{PRINTBORDER A1..A2,NUL}{PRINTMARGIN 3,,,3}' --pages A3..K40 2>&1)"

check "pages: scale 50 takes twice the rows and columns" \
  "page 1 columns A..V rows 1-100" \
  "$("$cli" --macro-text '{PRINTOPTION "S50"}' --pages A1..V100 2>&1)"

check "pages: margins leaving no room" \
  "Error: Margins Too Large" \
  "$("$cli" --macro-text '{PRINTMARGIN 6,,,5}' --pages A1..B2 2>&1)"

check "the settings travel in the file and the record listing shows them" \
  "PRANGE range A1..C4
FOOTER text \"f\"
HEADER text \"h|^F\"
X-MARGINS inches 0.25 1 0.5 2 0.5 0.5" \
  "$("$cli" -e A1 1 --macro-text '{PRINTHEAD "h|^F",1}{PRINTFOOT "f",0}{PRINTMARGIN 0.25,1,,2}' \
       --macro-text '{PRINTFILE "'"$dir"'/out",A1..C4}' -o "$dir/s.wks" --records "$dir/s.wks" |
     awk '$2 == "001A" || $2 == "0025" || $2 == "0026" || $3 == "0070" {
            sub(/^[0-9A-F]+ (X )?[0-9A-F]+ +/, ""); sub(/ +[0-9]+ /, " "); print}')"

check "PRINTFILE writes whole lines with .prn added; blank rows are empty lines" \
  "x$(printf '%*s' 379 '')last

|Ok" \
  "$("$cli" -e A1 "'x" -e AM1 "'last" -e A3 "'|Ok" \
       --macro-text '{PRINTFILE "'"$dir"'/wide",A1..AM3}' 2>&1; cat "$dir/wide.prn")"

check "a print job without a printer stops the macro" \
  "Error: No Printer" \
  "$("$cli" -e A1 1 --macro-text '{PRINTALL}{LET B1,2}' -p B1 2>&1)"

"$cli" -e A1 "'first" -e A70 "'second" --macro-text '{PRINTHEAD "Top #"}' \
  --printer "$dir/out.pdf" --macro-text '{PRINTRANGE A1..A70}' 2>&1
check "a printer file holds a PDF of the pages" "%PDF-1.4 2" \
  "$(head -c 8 "$dir/out.pdf") $(grep -c '/Type /Page ' "$dir/out.pdf")"

if "$cli" --save-graph "$dir/probe.png" 2>&1 | grep -q 'without graph drawing'; then
  echo "skip: named graph print jobs (tallivo-cli without graph drawing)"
else
  "$cli" -e A1 "'a" -e A2 "'b" -e B1 3 -e B2 5 --quick-graph A1..B2 \
    --macro-text '{GRAPHNAME 0,"BARS"}' -o "$dir/graphs" >/dev/null 2>&1
  "$cli" "$dir/graphs" --printer "$dir/graph.pdf" --macro-text '{PRINTGRAPH "BARS"}' \
    >"$dir/err" 2>&1
  check "a named graph prints as one PDF page" "%PDF 1:" \
    "$(head -c 4 "$dir/graph.pdf") $(grep -ac '^/Type /Page$' "$dir/graph.pdf"):$(cat "$dir/err")"
fi

check "bad print options are syntax errors" \
  "Error: Syntax Error: 
Error: Syntax Error: 
Error: Syntax Error: " \
  "$("$cli" --macro-text '{PRINTOPTION "S5"}' --macro-text '{PRINTOPTION "GX"}' \
       --macro-text '{PRINTHEAD "a",2}' 2>&1)"

echo "cli_print_test: $passes passed, $failures failed"
[ "$failures" -eq 0 ]
