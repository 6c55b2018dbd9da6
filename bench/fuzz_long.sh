#!/usr/bin/env bash
# Runs each fuzz target for a longer time than ./test does (default 10 minutes each).
set -euo pipefail
cd "$(dirname "$0")/.."
SECONDS_EACH=${1:-600}
CC=clang CXX=clang++ cmake -S . -B build/fuzz -G Ninja -DDORVANE_FUZZ=ON \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build/fuzz
for t in record_reader_fuzz handle_text_fuzz; do
  mkdir -p "build/fuzz/corpus/$t"
  echo "== $t (${SECONDS_EACH}s)"
  build/fuzz/tests/fuzz/$t -max_total_time="$SECONDS_EACH" "build/fuzz/corpus/$t" 2>&1 | tail -3
done
