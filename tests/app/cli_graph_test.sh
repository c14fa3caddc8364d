#!/usr/bin/env bash
# End-to-end checks of tallivo-cli with graph definitions: --quick-graph and the graph records of
# --records.
set -u
cli=${1:?usage: cli_graph_test.sh PATH-TO-TALLIVO-CLI}
failures=0
passes=0
work=$(mktemp -d /tmp/tallivo-cli-graph-XXXXXX)
trap 'rm -rf "$work"' EXIT

check() {  # name expected actual
  if [ "$2" == "$3" ]; then
    passes=$((passes + 1))
  else
    failures=$((failures + 1))
    printf 'FAIL %s\n--- expected\n%s\n--- actual\n%s\n' "$1" "$2" "$3"
  fi
}

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

echo "$passes passed, $failures failed"
[ "$failures" -eq 0 ]
