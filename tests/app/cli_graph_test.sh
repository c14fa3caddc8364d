#!/usr/bin/env bash
# End-to-end checks of tallivo-cli with graph definitions: --quick-graph, the GRAPH... macro
# commands and the graph records of --records.
set -u
cli=${1:?usage: cli_graph_test.sh PATH-TO-TALLIVO-CLI}
. "$(dirname "$0")/check_lib.sh"
tab=$'\t'
work=$(mktemp -d /tmp/tallivo-cli-graph-XXXXXX)
trap 'rm -rf "$work"' EXIT

graph_line() {  # FILE: the GRAPH line of the record list without the offset
  "$cli" --records "$1" | grep ' GRAPH ' | cut -c10-
}

"$cli" -o "$work/empty" >/dev/null
check "a new sheet saves a reset graph" "002D GRAPH           437 type 1 xscale auto yscale auto" \
  "$(graph_line "$work/empty.wks")"

"$cli" -e A1 1 --quick-graph B2..C5 -o "$work/two" >/dev/null
check "quick graph over two columns" \
  "002D GRAPH           437 type 1 X B2..B5 1 C2..C5 xscale auto yscale auto" \
  "$(graph_line "$work/two.wks")"

"$cli" --quick-graph 'I9..A1' -o "$work/nine" >/dev/null
check "quick graph on nine columns takes seven" \
  "002D GRAPH           437 type 1 X A1..A9 1 B1..B9 2 C1..C9 3 D1..D9 4 E1..E9 5 F1..F9 6 G1..G9 xscale auto yscale auto" \
  "$(graph_line "$work/nine.wks")"

"$cli" "$work/two" --quick-graph A1 -o "$work/again" >/dev/null
check "quick graph replaces the loaded definition" \
  "002D GRAPH           437 type 1 X A1..A1 xscale auto yscale auto" \
  "$(graph_line "$work/again.wks")"

"$cli" --quick-graph nonsense >/dev/null 2>&1
check "an invalid range is a usage error" "2" "$?"

named_line() {  # FILE: the NGRAPH lines of the record list without the offset
  "$cli" --records "$1" | grep ' NGRAPH ' | cut -c10-
}

"$cli" --macro-text '{GRAPHTYPE 4}{GRAPHSERIES 0,A1..A4}{GRAPHSERIES 2,C1..D4}{GRAPHLABEL 6,Z10,3}{GRAPHSCALE 1,-0.5,50}{GRAPHHEADING 0,"Sales"}{GRAPHHEADING 3,"E"&"UR"}{GRAPHLEGEND 6,"last",1}{GRAPHOPTIONS "G3,SY,2L"}{GRAPHFONT 6,14,"Courier"}{GRAPHNAME 0,"q1"}{GRAPHNAME 5}' \
  -o "$work/macro" >/dev/null
check "macro commands build a definition; GRAPHNAME 0 stores it and 5 resets the current one" \
  "002D GRAPH           437 type 1 xscale auto yscale auto
002E NGRAPH          453 name \"Q1\" type 4 X A1..A4 2 C1..D4 L6 Z10..Z10 xscale auto yscale manual -0.5 50 main \"Sales\" ytitle \"EUR\" legend6 \"last\"" \
  "$(graph_line "$work/macro.wks"; named_line "$work/macro.wks")"

"$cli" "$work/macro" --macro-text '{GRAPHNAME 1,"Q1"}{GRAPHSCALE 1}{GRAPHHEADING 0,NUL}{GRAPHSERIES 2,NUL}{GRAPHNAME 0,"q2"}{GRAPHNAME 2,"q1"}' -o "$work/macro2" >/dev/null
check "use, automatic scale, NUL clears, delete" \
  "002D GRAPH           437 type 4 X A1..A4 L6 Z10..Z10 xscale auto yscale auto ytitle \"EUR\" legend6 \"last\"
002E NGRAPH          453 name \"Q2\" type 4 X A1..A4 L6 Z10..Z10 xscale auto yscale auto ytitle \"EUR\" legend6 \"last\"" \
  "$(graph_line "$work/macro2.wks"; named_line "$work/macro2.wks")"

for bad in '{GRAPHTYPE 18}' '{GRAPHSERIES 7,A1}' '{GRAPHLABEL 1,A1,5}' '{GRAPHLEGEND 0,"x"}' \
           '{GRAPHHEADING 4,"x"}' '{GRAPHSCALE 2}' '{GRAPHOPTIONS "G4"}' '{GRAPHFONT 7,10}' \
           '{GRAPHNAME 1,"NONE"}' '{GRAPHNAME 6}' '{GRAPHVIEW "NONE",100}'; do
  check "$bad is a bad argument" "Error: Syntax Error: " "$("$cli" --macro-text "$bad" 2>&1)"
done

check "a timed GRAPHVIEW without a window lets the macro go on" "A1${tab}integer${tab}5${tab}5 ${tab}5" \
  "$("$cli" --macro-text '{GRAPHVIEW "",100}{LET A1,5}' -p 2>&1)"
check "GRAPHVIEW until a key needs a window" "Error: Needs a window: GRAPHVIEW" \
  "$("$cli" --macro-text '{GRAPHVIEW "",0}' 2>&1)"
check "GRAPH needs a window" "Error: Needs a window: GRAPH" "$("$cli" --macro-text '{GRAPH}' 2>&1)"

echo "$passes passed, $failures failed"
[ "$failures" -eq 0 ]
