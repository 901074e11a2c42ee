#!/usr/bin/env bash
# Installs what is missing, checks that every source file is formatted, then builds and runs
# every test twice: once in a plain build, which builds the benchmarks too so that they keep
# compiling (they are measured in Release with scripts/bench.sh), and once under
# AddressSanitizer and UndefinedBehaviorSanitizer. Every build fails on a warning.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh

jobs=$(nproc)
export LANG=C.UTF-8

echo "== formatting (clang-format)"
find src app cli tests bench data \( -name '*.cpp' -o -name '*.h' \) -print0 |
  xargs -0 clang-format --dry-run --Werror

echo "== plain build (the benchmarks with it)"
cmake -S . -B build/test -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCOUPLES_WERROR=ON \
  -DCOUPLES_BUILD_BENCH=ON >/dev/null
cmake --build build/test -j "$jobs"
ctest --test-dir build/test --output-on-failure -j "$jobs"

echo "== sanitizer build (address, undefined)"
cmake -S . -B build/asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCOUPLES_SANITIZE=ON \
  -DCOUPLES_WERROR=ON -DCOUPLES_BUILD_BENCH=OFF >/dev/null
cmake --build build/asan -j "$jobs"
ctest --test-dir build/asan --output-on-failure -j "$jobs"
