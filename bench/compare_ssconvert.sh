#!/usr/bin/env bash
# Times tallivo-cli against Gnumeric's ssconvert on generated worksheet files.
#
# usage: bench/compare_ssconvert.sh PATH-TO-TALLIVO-CLI [RUNS] [SIZES...]
#
# Generates WK1 files (numbers only: 10,000, 100,000 and 802,816 cells, the last also written
# column by column, and the full grid of 2,097,152; 100,000 numbers with
# 100,000 formulas such as +A1*2+1; a chain of 100,000 formulas, each adding 1 to the cell above)
# and, in alternating runs, measures the processor time of `tallivo-cli FILE --recalc -o OUT.wks` and
# `ssconvert --recalc FILE OUT.csv`. Prints the median times, their ratio, and our peak memory per
# cell (maximum resident set size divided by the number of cells). Needs python3 to generate the
# files and GNU time (/usr/bin/time) for the memory figure; ssconvert runs are skipped when it is
# not installed.
set -u
cli=${1:?usage: compare_ssconvert.sh PATH-TO-TALLIVO-CLI [RUNS] [CASES...]}
runs=${2:-3}
shift $(( $# >= 2 ? 2 : 1 ))
cases=("$@")
[ ${#cases[@]} -eq 0 ] && cases=(numbers-10000 numbers-100000 numbers-802816 columns-802816 formulas-100000 chain-100000 numbers-2097152)
work=$(mktemp -d /tmp/tallivo-compare-XXXXXX)
trap 'rm -rf "$work"' EXIT
have_ssconvert=0
command -v ssconvert >/dev/null 2>&1 && have_ssconvert=1

generate() {  # kind count file
  python3 - "$1" "$2" "$3" <<'PY'
import struct, sys
kind, count, path = sys.argv[1], int(sys.argv[2]), sys.argv[3]
out = bytearray()
def rec(t, d): out.extend(struct.pack('<HH', t, len(d))); out.extend(d)
rec(0x00, struct.pack('<H', 0x0404))
def number(col, row, v): rec(0x0E, struct.pack('<BHHd', 0xFF, col, row, v))
def formula(col, row, code, v): rec(0x10, struct.pack('<BHHdH', 0xFF, col, row, v, len(code)) + code)
def rel(dc, dr): return struct.pack('<HH', 0x8000 | (dc & 0x3FFF), 0x8000 | (dr & 0x3FFF))
if kind == 'numbers':
    columns = max(10, (count + 8191) // 8192)
    for i in range(count):
        number(i % columns, i // columns, i * 0.5 + 0.25)
elif kind == 'columns':
    # The same numbers written column by column, as some programs write them.
    columns = max(10, (count + 8191) // 8192)
    rows = (count + columns - 1) // columns
    for col in range(columns):
        for row in range(rows):
            i = row * columns + col
            if i < count:
                number(col, row, i * 0.5 + 0.25)
elif kind == 'formulas':
    # Column A: numbers; column B: +A1*2+1 on the same row.
    code = b'\x01' + rel(-1, 0) + b'\x05' + struct.pack('<h', 2) + b'\x0B\x05' + struct.pack('<h', 1) + b'\x09\x03'
    for i in range(count):
        row, block = i % 8192, i // 8192
        number(2 * block, row, float(i))
        formula(2 * block + 1, row, code, 2.0 * i + 1)
elif kind == 'chain':
    # A chain down the columns: each cell adds 1 to the one before it.
    up = b'\x01' + rel(0, -1) + b'\x05\x01\x00\x09\x03'
    number(0, 0, 0.0)
    for i in range(1, count):
        col, row = i // 8192, i % 8192
        if row == 0:
            code = b'\x01' + rel(-1, 8191) + b'\x05\x01\x00\x09\x03'
        else:
            code = up
        formula(col, row, code, float(i))
rec(0x01, b'')
open(path, 'wb').write(out)
PY
}

# Processor seconds (user and system; wall time suffers on a busy machine) and peak kilobytes of
# one command.
measure() {
  /usr/bin/time -f '%U %S %M' -o "$work/time" "$@" >/dev/null 2>"$work/err"
  read -r user system kilobytes <"$work/time"
  echo "$(echo "$user + $system" | bc -l) $kilobytes"
}

median() { sort -g | awk '{a[NR]=$1} END {print (NR % 2) ? a[(NR + 1) / 2] : (a[NR / 2] + a[NR / 2 + 1]) / 2}'; }

printf '%-18s %10s %12s %8s %14s\n' case tallivo_s ssconvert_s ratio bytes_per_cell
for c in "${cases[@]}"; do
  kind=${c%-*}
  count=${c#*-}
  cells=$count
  [ "$kind" = formulas ] && cells=$((2 * count))
  file="$work/$c.wk1"
  generate "$kind" "$count" "$file"
  : >"$work/ours"
  : >"$work/theirs"
  peak=0
  for ((i = 0; i < runs; i++)); do
    read -r t m < <(measure "$cli" "$file" --recalc -o "$work/out.wks")
    echo "$t" >>"$work/ours"
    [ "$m" -gt "$peak" ] && peak=$m
    if [ $have_ssconvert -eq 1 ]; then
      read -r t m < <(measure ssconvert --recalc "$file" "$work/out.csv")
      echo "$t" >>"$work/theirs"
    fi
  done
  ours=$(median <"$work/ours")
  theirs=n/a
  ratio=n/a
  if [ $have_ssconvert -eq 1 ]; then
    theirs=$(median <"$work/theirs")
    # Times below the 10 ms resolution of the clock count as 10 ms (the ratio is then at least).
    ratio=$(echo "d = $ours; if (d < 0.01) d = 0.01; $theirs / d" | bc -l | xargs printf '%.1f')
  fi
  per_cell=$(echo "$peak * 1024 / $cells" | bc -l | xargs printf '%.1f')
  printf '%-18s %10.3f %12s %8s %14s\n' "$c" "$ours" "$theirs" "$ratio" "$per_cell"
done
