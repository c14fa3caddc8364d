#!/usr/bin/env bash
# Times printing a 1,000 x 10 sheet to PDF with tallivo-cli against Gnumeric's ssconvert.
#
# usage: bench/compare_print.sh PATH-TO-TALLIVO-CLI [RUNS]
#
# Makes the sheet (numbers in A..E, labels in F..J) once as a worksheet file, then in alternating
# runs measures the wall time of `tallivo-cli SHEET --printer OUT.pdf --macro-text {PRINTALL}`
# against `ssconvert SHEET OUT.pdf`, and prints the medians, their ratio and both page counts
# (pdfinfo, when installed). Skips the comparison when ssconvert is not installed.
set -u
cli=${1:?usage: compare_print.sh PATH-TO-TALLIVO-CLI [RUNS]}
runs=${2:-5}
work=$(mktemp -d /tmp/tallivo-print-XXXXXX)
trap 'rm -rf "$work"' EXIT

# The sheet is entered through the batch tool's entry actions, one cell each.
python3 - "$work/actions" <<'PY'
import sys
with open(sys.argv[1], 'w') as f:
    for r in range(1, 1001):
        for i, c in enumerate('ABCDE'):
            f.write('-e\n%s%d\n%d\n' % (c, r, r * 10 + i))
        for c in 'FGHIJ':
            f.write("-e\n%s%d\n'label %d\n" % (c, r, r))
PY
mapfile -t actions < "$work/actions"
"$cli" "${actions[@]}" -o "$work/sheet.wks" >/dev/null || exit 1

now() { date +%s.%N; }
median() { sort -n | awk '{a[NR]=$1} END {print a[int((NR + 1) / 2)]}'; }

ours=()
theirs=()
have_ssconvert=0
command -v ssconvert >/dev/null 2>&1 && have_ssconvert=1
for ((i = 0; i < runs; ++i)); do
  t0=$(now)
  "$cli" "$work/sheet.wks" --printer "$work/ours.pdf" --macro-text '{PRINTALL}' >/dev/null 2>&1
  t1=$(now)
  ours+=("$(echo "$t1 - $t0" | bc)")
  if [ "$have_ssconvert" -eq 1 ]; then
    t0=$(now)
    ssconvert "$work/sheet.wks" "$work/theirs.pdf" >/dev/null 2>&1
    t1=$(now)
    theirs+=("$(echo "$t1 - $t0" | bc)")
  fi
done
ours_median=$(printf '%s\n' "${ours[@]}" | median)
echo "tallivo-cli: median ${ours_median} s over $runs runs"
if command -v pdfinfo >/dev/null 2>&1; then
  echo "tallivo-cli pages: $(pdfinfo "$work/ours.pdf" | awk '/^Pages:/ {print $2}')"
fi
if [ "$have_ssconvert" -eq 0 ]; then
  echo "ssconvert not installed: comparison skipped"
  exit 0
fi
theirs_median=$(printf '%s\n' "${theirs[@]}" | median)
echo "ssconvert:   median ${theirs_median} s over $runs runs"
if command -v pdfinfo >/dev/null 2>&1 && [ -f "$work/theirs.pdf" ]; then
  echo "ssconvert pages: $(pdfinfo "$work/theirs.pdf" | awk '/^Pages:/ {print $2}')"
fi
echo "ratio (ours / theirs): $(echo "scale=3; $ours_median / $theirs_median" | bc)"
