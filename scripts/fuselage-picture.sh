#!/usr/bin/env bash
# Draws the README's picture of a fuselage: twelve formers, nose to tail every 50 mm, each its
# own size, seen in "Vue Fuselage" turned and lit. Uses the couples-cli of the
# Release build (scripts/run.sh or scripts/bench.sh makes it), or the one named by COUPLES_CLI.
set -euo pipefail
out=${1:-docs/fuselage.png}
cli=${COUPLES_CLI:-$(dirname "$0")/../build/release/cli/couples-cli}
actions=()
i=0
for k in 35 60 80 95 100 97 90 78 68 55 42 30; do
  ((i > 0)) && actions+=("former-new=F$((i + 1)):$((50 * i))")
  actions+=($(awk -v k="$k" 'BEGIN {
    w = 0.7 * k; t = k; b = 0.8 * k
    split("0 " t " " .45*w " " t " " .9*w " " .8*t " " w " " .4*t " " w " 0 " \
          w " " -.4*b " " .9*w " " -.8*b " " .45*w " " -b " 0 " -b, v, " ")
    for (j = 0; j < 9; ++j) printf "point=%d:%.2f,%.2f\n", j, v[2*j+1] * 0.5, v[2*j+2] * 0.5 }'))
  i=$((i + 1))
done
QT_QPA_PLATFORM=offscreen "$cli" "${actions[@]}" former-select=F5 fuselage=1 mode=5 \
  orbit=-90,30:left orbit=0,-200:right size3d=800x500 render3d="$out"
