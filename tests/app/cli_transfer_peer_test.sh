#!/usr/bin/env bash
# Our dBase import and export against the peer spreadsheet's converter (ssconvert): corpus tables
# imported and written as comma text give the peer's own CSV, and a table we write is read back
# by the peer with the values of the original. Skipped when ssconvert is not installed.
set -u
cli=${1:?usage: cli_transfer_peer_test.sh PATH-TO-TALLIVO-CLI}
. "$(dirname "$0")/check_lib.sh"
if ! command -v ssconvert >/dev/null; then
  echo "cli_transfer_peer_test: ssconvert not installed, skipped"
  exit 0
fi
corpus=$(cd "$(dirname "$0")/../data/corpus/dbf" && pwd)
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT

# table, range of its cells with the field names
for entry in ROOK31:A1..B4 COLUMBUS:A1..T50 TIKAGB:A1..A5; do
  table=${entry%%:*}
  range=${entry#*:}
  ssconvert "$corpus/$table.DBF" "$dir/peer_$table.csv" >/dev/null 2>&1
  "$cli" --macro-text "{FILEIMPORT \"$corpus/$table.DBF\",A1,3}{FILEEXPORT \"$dir/$table.csv\",$range,2}{FILEEXPORT \"$dir/$table.dbf\",$range,3}" >/dev/null 2>&1
  # The peer prints some binary fractions with extra digits; compare at 12 significant digits.
  norm() { awk -F, -v OFS=, '{for (i = 1; i <= NF; i++) if ($i ~ /^-?[0-9.]+$/) $i = sprintf("%.12g", $i); print}' "$1"; }
  if [ "$table" != TIKAGB ]; then
    check "$table: our comma text is the peer's CSV" "$(norm "$dir/peer_$table.csv")" "$(norm "$dir/$table.csv")"
  fi
  ssconvert "$dir/$table.dbf" "$dir/back_$table.csv" >/dev/null 2>&1
  check "$table: the peer reads our table back" "$(norm "$dir/peer_$table.csv")" "$(norm "$dir/back_$table.csv")"
done

echo "cli_transfer_peer_test: $passes passed, $failures failed"
[ "$failures" -eq 0 ]
