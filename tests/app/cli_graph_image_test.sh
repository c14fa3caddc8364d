#!/usr/bin/env bash
# End-to-end checks of tallivo-cli --save-graph and --graph-size: PNG and BMP by extension in any
# case, named graphs, sizes, bad arguments, an unwritable file and an undefined graph.
set -u
cli=${1:?usage: cli_graph_image_test.sh PATH-TO-TALLIVO-CLI}
. "$(dirname "$0")/check_lib.sh"
work=$(mktemp -d /tmp/tallivo-cli-graph-image-XXXXXX)
trap 'rm -rf "$work"' EXIT

if "$cli" --save-graph "$work/probe.png" 2>&1 | grep -q 'without graph drawing'; then
  echo "skipped: this tallivo-cli draws no graphs"
  exit 0
fi

# The file's first bytes name its format.
magic() { head -c 4 "$1" | od -An -c | tr -d ' \n'; }
size() { identify -format '%wx%h' "$1" 2>/dev/null || echo none; }

data=(-e A1 Jan -e A2 Feb -e A3 Mar -e B1 3 -e B2 5 -e B3 2 --quick-graph A1..B3)
unset QT_QPA_PLATFORM DISPLAY
"$cli" "${data[@]}" --save-graph "$work/bars.png" --save-graph "$work/BARS.BMP" 2>"$work/err"
check "PNG and BMP without a display, nothing on standard error" "0:" "$?:$(cat "$work/err")"
check "a .png file is PNG" "211PNG" "$(magic "$work/bars.png")"
check "a .BMP file is BMP" "BM" "$(head -c 2 "$work/BARS.BMP")"
check "the default size" "800x600" "$(size "$work/bars.png")"
check "the graph is drawn, not left white" "yes" \
  "$([ "$(identify -format '%k' "$work/bars.png")" -gt 5 ] && echo yes || echo no)"

"$cli" "${data[@]}" --graph-size 320x200 --save-graph "$work/small.Png"
check "--graph-size applies to later images" "320x200" "$(size "$work/small.Png")"
for bad in 15x200 320x4097 320 x200 20x20x2 abcxdef; do
  "$cli" --graph-size "$bad" >/dev/null 2>&1
  check "--graph-size $bad is a bad argument" "2" "$?"
done

"$cli" "${data[@]}" --macro-text '{GRAPHTYPE 2}{GRAPHNAME 0,"PIE"}{GRAPHNAME 5}' -o "$work/named" \
  >/dev/null
"$cli" "$work/named" --save-graph "$work/pie.png" pie 2>"$work/err"
check "a named graph by name in any case" "0:" "$?:$(cat "$work/err")"
# Shift+A's turns of the 3-D view, and an overlay drawn over the current graph.
"$cli" "${data[@]}" --macro-text '{GRAPHTYPE 16}' --save-graph "$work/box0.png" \
  --graph-turn 8 --save-graph "$work/box8.png" --graph-turn 0 --save-graph "$work/again0.png" >/dev/null
check "a turned 3-D view draws differently" "yes" "$(cmp -s "$work/box0.png" "$work/box8.png" || echo yes)"
check "turning back draws the first view again" "same" "$(cmp -s "$work/box0.png" "$work/again0.png" && echo same)"
for bad in 32 -1 x 3.5 ''; do
  "$cli" --graph-turn "$bad" >/dev/null 2>&1
  check "--graph-turn '$bad' is a bad argument" "2" "$?"
done
"$cli" "${data[@]}" --macro-text '{GRAPHTYPE 4}{GRAPHNAME 0,"LINE"}{GRAPHTYPE 1}' \
  --save-graph "$work/plain.png" --macro-text '{GRAPHNAME 6,"line"}' --save-graph "$work/over.png" \
  --macro-text '{GRAPHNAME 6,""}' --save-graph "$work/plain2.png" >/dev/null 2>&1
check "an overlay adds to the image" "yes" "$(cmp -s "$work/plain.png" "$work/over.png" || echo yes)"
check "an empty overlay name removes it" "same" "$(cmp -s "$work/plain.png" "$work/plain2.png" && echo same)"
check "an overlay must be a named graph" "Error: Syntax Error: " \
  "$("$cli" --macro-text '{GRAPHNAME 6,"NONE"}' 2>&1)"

"$cli" "$work/named" --save-graph "$work/nope.png" NOPE >/dev/null 2>&1
check "a name that is no named graph is a bad argument" "2" "$?"
check "and nothing is written" "no" "$([ -e "$work/nope.png" ] && echo yes || echo no)"
"$cli" "${data[@]}" --save-graph "$work/bars.gif" >/dev/null 2>&1
check "another extension is a bad argument" "2" "$?"
"$cli" "${data[@]}" --save-graph "$work/bars" >/dev/null 2>&1
check "no extension is a bad argument" "2" "$?"

"$cli" --save-graph "$work/undefined.png" 2>"$work/err"
check "an undefined graph is drawn and reported" "0:Error: Graph Undefined!" "$?:$(cat "$work/err")"
check "an undefined graph still gives the image" "800x600" "$(size "$work/undefined.png")"

"$cli" "${data[@]}" --save-graph "$work/missing/dir/out.png" 2>"$work/err"
check "an unwritable file" "1:Error: Unable to WRITE" "$?:$(cat "$work/err")"
echo "$passes passed, $failures failed"
[ "$failures" -eq 0 ]
