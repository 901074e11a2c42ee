#!/usr/bin/env bash
# Draws the README's pictures of cut-ready formers: a former notched for four stringers, a keel
# and a crutch ("Lisses et encoches"), and the export of the fuselage's eight formers on one
# sheet. Uses the couples-cli of the Release build (scripts/run.sh or scripts/bench.sh makes it),
# or the one named by COUPLES_CLI.
set -euo pipefail
former=${1:-docs/notches.png}
sheet=${2:-docs/notches-sheet.png}
cli=${COUPLES_CLI:-$(dirname "$0")/../build/release/cli/couples-cli}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
actions=(points=40 order=4)
i=0
for k in 60 80 95 100 97 90 78 60; do
  ((i > 0)) && actions+=("former-new=F$((i + 1)):$((80 * i))")
  actions+=($(awk -v k="$k" 'BEGIN {
    w = 0.7 * k; t = k; b = 0.8 * k
    split("0 " t " " .45*w " " t " " .9*w " " .8*t " " w " " .4*t " " w " 0 " \
          w " " (-.4*b) " " .9*w " " (-.8*b) " " .45*w " " (-b) " 0 " (-b), v, " ")
    for (j = 0; j < 9; ++j) printf "point=%d:%.2f,%.2f\n", j, v[2*j+1] * 0.45, v[2*j+2] * 0.45 }'))
  i=$((i + 1))
done
QT_QPA_PLATFORM=offscreen "$cli" "${actions[@]}" \
  stringer-add=L1:0.12:3:3 stringer-add=L2:0.3:3:3 stringer-add=L3:0.62:3:3 \
  stringer-add=L4:0.85:3:3 slot=keel:5:4 slot=crutch:0:3:6 former-select=F4 doubling=on \
  button=14 snapshot="$work/former.png" export-all=svg:"$work/sheet":400x150
cp "$work/former.png" "$former"
python3 "$(dirname "$0")/sheet-picture.py" "$work/sheet-1.SVG" "$sheet" 2.5
