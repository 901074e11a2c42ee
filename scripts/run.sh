#!/usr/bin/env bash
# Installs what is missing, builds the editor in Release and starts it.
# Extra arguments are passed to the editor.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DCOUPLES_BUILD_TESTS=OFF -DCOUPLES_BUILD_BENCH=OFF >/dev/null
cmake --build build/release --target editeur-couples
exec build/release/app/editeur-couples "$@"
