#!/usr/bin/env bash
# Sets up, builds and runs every test; the output ends with CTest's summary.
set -euo pipefail
cd "$(dirname "$0")/.."
# The fuzzers and the sanitizer run go first so the output still ends with CTest's summary.
bash scripts/fuzz.sh "${NI_FUZZ_SECONDS:-8}"
# Then the whole suite under AddressSanitizer and UndefinedBehaviorSanitizer.
bash scripts/sanitize.sh
bash scripts/build.sh
export QT_QPA_PLATFORM=offscreen
cd build
ctest --output-on-failure -j "$(nproc)" --timeout 300
