#!/usr/bin/env bash
# Builds the benchmarks in Release and runs each of them. Arguments go to every
# benchmark program (for example --benchmark_filter=Spline).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DCOUPLES_BUILD_TESTS=OFF >/dev/null
cmake --build build/release -j "$(nproc)"
status=0
for b in build/release/bench/*/bench_*; do
  [ -x "$b" ] || continue
  echo "== $b"
  QT_QPA_PLATFORM=offscreen "$b" "$@" || { echo "$b failed" >&2; status=1; }
done
exit $status
