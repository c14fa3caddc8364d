#!/usr/bin/env bash
# Rebuilds the example worksheets with TALLIVO's own batch tool.
#   examples/make_examples.sh [path/to/tallivo-cli]
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
cli=${1:-"$here/../build/tallivo-cli"}

# A household budget: monthly amounts, their total with @SUM, the year's figures.
"$cli" \
  -e A1 "Household budget" \
  -e B3 "^Month" -e C3 "^Year" -e D3 "^Share" \
  -e A4 "Rent" -e B4 850 \
  -e A5 "Food" -e B5 420.5 \
  -e A6 "Power and heating" -e B6 95 \
  -e A7 "Phone and internet" -e B7 45.9 \
  -e A8 "Transport" -e B8 120 \
  -e A9 "Savings" -e B9 200 \
  -e A11 "Total" -e B11 "@SUM(B4..B9)" \
  -e C4 "+B4*12" -e C5 "+B5*12" -e C6 "+B6*12" -e C7 "+B7*12" -e C8 "+B8*12" -e C9 "+B9*12" \
  -e C11 "@SUM(C4..C9)" \
  -e D4 "+B4/\$B\$11" -e D5 "+B5/\$B\$11" -e D6 "+B6/\$B\$11" -e D7 "+B7/\$B\$11" \
  -e D8 "+B8/\$B\$11" -e D9 "+B9/\$B\$11" -e D11 "@SUM(D4..D9)" \
  --width A 20 --width B 11 --width C 12 --width D 9 \
  --format B4..C11 C2 --format D4..D11 P1 \
  -o "$here/budget.wks"

# A loan schedule: the payment by @PMT, then each month's interest, repayment and balance; the
# rate and the payment are absolute references so every row uses the same cells.
args=(
  -e A1 "Loan schedule"
  -e A3 "Amount" -e B3 20000
  -e A4 "Yearly rate" -e B4 0.045
  -e A5 "Months" -e B5 36
  -e A6 "Payment" -e B6 "@PMT(B3,B4/12,B5)"
  -e A8 "^Month" -e B8 "^Interest" -e C8 "^Repayment" -e D8 "^Balance"
  -e A9 0 -e D9 "+B3"
)
for ((m = 1; m <= 36; m++)); do
  r=$((m + 9)); p=$((r - 1))
  args+=(-e "A$r" "+A$p+1" -e "B$r" "+D$p*\$B\$4/12" -e "C$r" "+\$B\$6-B$r" -e "D$r" "+D$p-C$r")
done
"$cli" "${args[@]}" \
  --width A 12 --width B 11 --width C 11 --width D 12 \
  --format B3..B3 C2 --format B4..B4 P2 --format B6..B6 C2 --format B9..D45 M2 \
  -o "$here/loan.wks"

# A small table whose formulas use range names.
"$cli" \
  -e A1 "Sales by region" \
  -e A3 "Region" -e B3 "^Q1" -e C3 "^Q2" -e D3 "^Total" \
  -e A4 "North" -e B4 1200 -e C4 1350 -e D4 "@SUM(B4..C4)" \
  -e A5 "South" -e B5 980 -e C5 1010 -e D5 "@SUM(B5..C5)" \
  -e A6 "East" -e B6 1530 -e C6 1490 -e D6 "@SUM(B6..C6)" \
  -e A7 "West" -e B7 760 -e C7 905 -e D7 "@SUM(B7..C7)" \
  --name Q1 B4..B7 --name Q2 C4..C7 --name TOTALS D4..D7 \
  -e A9 "Q1 sum" -e B9 "@SUM(Q1)" \
  -e A10 "Q2 sum" -e C10 "@SUM(Q2)" \
  -e A11 "Best region" -e D11 "@MAX(TOTALS)" \
  -e A12 "Average" -e D12 "@AVG(TOTALS)" \
  --width A 14 --format B4..D12 M0 \
  -o "$here/names.wks"

# Saving over an earlier version keeps a backup; the examples need none.
rm -f "$here/budget.wkb" "$here/loan.wkb" "$here/names.wkb"
