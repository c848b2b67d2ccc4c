#!/usr/bin/env bash
# Sets up, builds and runs every test; the output ends with CTest's summary.
set -euo pipefail
cd "$(dirname "$0")/.."
# The fuzzers run first (briefly) so the output still ends with CTest's summary.
bash scripts/fuzz.sh "${NI_FUZZ_SECONDS:-10}"
bash scripts/build.sh
export QT_QPA_PLATFORM=offscreen
cd build
ctest --output-on-failure -j "$(nproc)" --timeout 300
