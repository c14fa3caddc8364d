#!/usr/bin/env bash
# Builds examples/graphs.wks, a worksheet with one named graph of every type (T00 .. T17) and a
# few variants, and draws each of them into graph-review/ with tallivo-cli --save-graph.
#
#   examples/make_graphs.sh [PATH-TO-TALLIVO-CLI]     (default: build/tallivo-cli)
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cli=${1:-$here/build/tallivo-cli}
sheet=$here/examples/graphs.wks
out=$here/graph-review
mkdir -p "$out"

# The data: months, doubling values, two sales rows (one with a gap), a row with negatives,
# explode percentages, a row for the logarithmic axis, angles, and a 6 x 6 grid for the contour.
data=()
months=(Jan Feb Mar Apr May Jun Jul Aug)
B=(1 2 4 8 16 32 64 128)
C=(10 14 9 17 22 19 25 28)
D=(4 6 8 5 n/a 12 10 11)
E=(7 -3 5 2 6 8 -2 4)
F=(0 0 25 0 150 0 0 0)
G=(5 20 60 150 300 500 700 900)
N=(0 45 90 135 180 225 270 315)
for i in 0 1 2 3 4 5 6 7; do
  r=$((i + 1))
  data+=(-e "A$r" "${months[$i]}" -e "B$r" "${B[$i]}" -e "C$r" "${C[$i]}" -e "D$r" "${D[$i]}"
         -e "E$r" "${E[$i]}" -e "F$r" "${F[$i]}" -e "G$r" "${G[$i]}" -e "N$r" "${N[$i]}")
done
cols=(H I J K L M)
for row in 1 2 3 4 5 6; do
  for c in 0 1 2 3 4 5; do
    col=$((c + 1))
    data+=(-e "${cols[$c]}$row" "$(( (row - 3) * (row - 3) + (col - 3) * (col - 3) ))")
  done
done

# One named graph: NAME TYPE X SERIES... then extra macro text.
macro=""
graph() {
  local name=$1 type=$2 x=$3 extra=$4
  shift 4
  local m="{GRAPHNAME 5}{GRAPHTYPE $type}{GRAPHSERIES 0,$x}"
  local k=1
  for s in "$@"; do
    m+="{GRAPHSERIES $k,$s}{GRAPHLEGEND $k,\"Series $k ($s)\",0}"
    k=$((k + 1))
  done
  m+="{GRAPHHEADING 0,\"$name: type $type\"}{GRAPHHEADING 1,\"Second heading\"}"
  m+="{GRAPHHEADING 2,\"X axis\"}{GRAPHHEADING 3,\"Y axis\"}{GRAPHOPTIONS \"G1\"}$extra"
  m+="{GRAPHNAME 0,\"$name\"}"
  macro+=$m
}
graph T00 0 B1..B8 "" C1..C8 D1..D8 E1..E8
graph T01 1 A1..A8 "" C1..C8 D1..D8 E1..E8
graph T02 2 A1..A8 "" C1..C8 F1..F8
graph T03 3 A1..A8 "" C1..C8 D1..D8 B1..B8
graph T04 4 A1..A8 "{GRAPHLABEL 1,C1..C8,0}" C1..C8 D1..D8 E1..E8
graph T05 5 B1..B8 "" C1..C8 D1..D8
graph T06 6 A1..A8 "" C1..C8 D1..D8 E1..E8
graph T07 7 A1..A8 "" C1..C8 D1..D8
graph T08 8 A1..A8 "" C1..C8 D1..D8 B1..B8
graph T09 9 B1..B8 "" C1..C8 E1..E8
graph T10 10 N1..N8 "" C1..C8 D1..D8
graph T11 11 A1..A8 "" C1..C8 D1..D8 E1..E8
graph T12 12 A1..A8 "" E1..E8 D1..D8 C1..C8
graph T13 13 H1..M1 "" H1..M6
graph T14 14 A1..A8 "" C1..C8 F1..F8
graph T15 15 A1..A8 "" C1..C8 F1..F8
graph T16 16 A1..A8 "" C1..C8 D1..D8 E1..E8
graph T17 17 A1..A8 "" C1..C8 D1..D8 B1..B8
# Variants: a logarithmic Y axis, a pie without explode row, manual XY scales, a table legend
# with both grids, a bar graph with data labels below and a zero-span manual scale.
graph VLOGY 1 A1..A8 '{GRAPHOPTIONS "YY"}' G1..G8 B1..B8
graph VPIEFLAT 2 A1..A8 "" C1..C8
graph VXYMAN 0 B1..B8 '{GRAPHSCALE 0,2,64}{GRAPHSCALE 1,0,20}{GRAPHOPTIONS "G3,SY,1B,2S"}' C1..C8 D1..D8
graph VTABLE 4 A1..A8 '{GRAPHOPTIONS "G3,TY"}' C1..C8 D1..D8 E1..E8
graph VLABELS 1 A1..A8 '{GRAPHLABEL 1,A1..A8,1}{GRAPHLABEL 2,D1..D8,0}' E1..E8 D1..D8
graph VZERO 0 B1..B8 '{GRAPHSCALE 1,5,5}{GRAPHSCALE 0,4,4}' C1..C8
graph VLOGXY 0 G1..G8 '{GRAPHOPTIONS "XY,YY,G3"}' B1..B8 C1..C8
# An overlay: bars with the line graph VLINE (the doubling row B as series 3, green, lines and
# symbols) drawn over them in the same plot with its own scale.
graph VLINE 4 A1..A8 '{GRAPHSERIES 1,NUL}{GRAPHSERIES 3,B1..B8}{GRAPHOPTIONS "3B"}{GRAPHLEGEND 3,"Overlay (B1..B8)",0}' B1..B8
graph VOVERLAY 1 A1..A8 '{GRAPHNAME 6,"VLINE"}' C1..C8 D1..D8
macro+="{GRAPHNAME 1,\"T01\"}"

rm -f "$sheet"
"$cli" "${data[@]}" --macro-text "$macro" -o "$sheet" >/dev/null
for t in $(seq -w 0 17) ; do
  "$cli" "$sheet" --save-graph "$out/T$t.png" "T$t"
done
for v in VLOGY VPIEFLAT VXYMAN VTABLE VLABELS VZERO VLOGXY VOVERLAY; do
  "$cli" "$sheet" --save-graph "$out/$v.png" "$v"
done
# The 3-D types turned as Shift+A turns them: 3 turns (depth almost across), 8 and 14 (the
# depth comes towards the viewer; the drawing order follows).
for t in 11 12 16 17; do
  for k in 3 8 14; do
    "$cli" "$sheet" --graph-turn "$k" --save-graph "$out/T$t-turn$k.png" "T$t"
  done
done
echo "graphs: $sheet; images: $out"
