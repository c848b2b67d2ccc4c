#!/usr/bin/env bash
# Builds the libFuzzer targets with clang into build-fuzz/ and runs each one
# briefly over its committed corpus. Seconds per target: $1 (default 10).
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-10}"
bash scripts/setup.sh
launcher=()
if command -v ccache >/dev/null; then launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache); fi
cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_CXX_COMPILER=clang++ -DNI_BUILD_FUZZERS=ON -DNI_BUILD_TESTS=OFF "${launcher[@]}" >/dev/null
for fuzzer in css_color_fuzzer; do
  cmake --build build-fuzz -j "$(nproc)" --target "$fuzzer"
  corpus="fuzz/corpus/${fuzzer%_fuzzer}"
  work="build-fuzz/corpus/${fuzzer%_fuzzer}"
  mkdir -p "$work"
  echo "== $fuzzer: ${seconds}s over $corpus"
  "build-fuzz/bin/$fuzzer" -max_total_time="$seconds" -print_final_stats=1 \
    -artifact_prefix=build-fuzz/ "$work" "$corpus" 2>&1 | tail -n 12
done
