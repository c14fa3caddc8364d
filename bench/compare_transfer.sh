#!/usr/bin/env bash
# Times the dBase and text import of tallivo-cli against Gnumeric's ssconvert.
#
# usage: bench/compare_transfer.sh PATH-TO-TALLIVO-CLI [RUNS]
#
# Generates an 8192-record table of 20 fields (10 numeric, 8 character, 2 date) and an 8192-line
# CSV file of 20 fields, and in alternating runs measures the processor time and peak memory of
# importing each with tallivo-cli and writing it out as comma text, against
# `ssconvert FILE OUT.csv`. Prints the median times, their ratio and the peak memory. Needs
# python3 and GNU time (/usr/bin/time); ssconvert runs are skipped when it is not installed.
set -u
cli=${1:?usage: compare_transfer.sh PATH-TO-TALLIVO-CLI [RUNS]}
runs=${2:-5}
work=$(mktemp -d /tmp/tallivo-transfer-XXXXXX)
trap 'rm -rf "$work"' EXIT
have_ssconvert=0
command -v ssconvert >/dev/null 2>&1 && have_ssconvert=1

python3 - "$work" <<'PY'
import datetime, random, struct, sys
work = sys.argv[1]
random.seed(7)
fields = [('N%d' % i, 'N', 12, 2) for i in range(10)] + \
         [('C%d' % i, 'C', 16, 0) for i in range(8)] + [('D%d' % i, 'D', 8, 0) for i in range(2)]
records = 8192
rows = []
for r in range(records):
    row = []
    for name, kind, length, dec in fields:
        if kind == 'N':
            row.append('%.2f' % random.uniform(-99999, 99999))
        elif kind == 'C':
            row.append(''.join(random.choice('abcdefghij klmnop') for _ in range(random.randint(3, 16))).strip() or 'x')
        else:
            d = datetime.date(1990, 1, 1) + datetime.timedelta(days=random.randint(0, 12000))
            row.append(d.strftime('%Y%m%d'))
    rows.append(row)
header_length = 32 * len(fields) + 33
record_length = 1 + sum(f[2] for f in fields)
out = bytearray(struct.pack('<BBBBIHH20x', 3, 126, 1, 1, records, header_length, record_length))
for name, kind, length, dec in fields:
    out += name.encode().ljust(11, b'\0') + kind.encode() + b'\0' * 4 + bytes([length, dec]) + b'\0' * 14
out += b'\r'
for row in rows:
    out += b' '
    for (name, kind, length, dec), value in zip(fields, row):
        text = value.encode()
        out += text.rjust(length) if kind == 'N' else text.ljust(length)
open(work + '/table.dbf', 'wb').write(out)
with open(work + '/lines.csv', 'w') as f:
    f.write(','.join(n for n, *_ in fields) + '\n')
    for row in rows:
        f.write(','.join('"%s"' % v if k == 'C' else v for v, (n, k, *_) in zip(row, fields)) + '\n')
PY

measure() {
  /usr/bin/time -f '%U %S %M' -o "$work/time" "$@" >/dev/null 2>"$work/err"
  read -r user system kilobytes <"$work/time"
  echo "$(echo "$user + $system" | bc -l) $kilobytes"
}
median() { sort -g | awk '{a[NR]=$1} END {print (NR % 2) ? a[(NR + 1) / 2] : (a[NR / 2] + a[NR / 2 + 1]) / 2}'; }

printf '%-8s %10s %10s %12s %10s %8s\n' case tallivo_s tallivo_MB ssconvert_s ssconv_MB ratio
for c in dbase csv; do
  if [ $c = dbase ]; then
    file="$work/table.dbf"
    macro="{FILEIMPORT \"$file\",A1,3}{FILEEXPORT \"$work/ours.csv\",A1..T8193,2}"
  else
    file="$work/lines.csv"
    macro="{FILEIMPORT \"$file\",A1,1}{FILEEXPORT \"$work/ours.csv\",A1..T8192,2}"
  fi
  : >"$work/ours"
  : >"$work/theirs"
  peak=0
  theirs_peak=0
  for ((i = 0; i < runs; i++)); do
    read -r t m < <(measure "$cli" --macro-text "$macro")
    echo "$t" >>"$work/ours"
    [ "$m" -gt "$peak" ] && peak=$m
    if [ $have_ssconvert -eq 1 ]; then
      read -r t m < <(measure ssconvert "$file" "$work/theirs.csv")
      echo "$t" >>"$work/theirs"
      [ "$m" -gt "$theirs_peak" ] && theirs_peak=$m
    fi
  done
  ours=$(median <"$work/ours")
  theirs=n/a
  ratio=n/a
  if [ $have_ssconvert -eq 1 ]; then
    theirs=$(median <"$work/theirs")
    ratio=$(echo "d = $ours; if (d < 0.01) d = 0.01; $theirs / d" | bc -l | xargs printf '%.1f')
  fi
  printf '%-8s %10.3f %10d %12s %10d %8s\n' "$c" "$ours" $((peak / 1024)) "$theirs" \
    $((theirs_peak / 1024)) "$ratio"
done
