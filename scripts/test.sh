#!/usr/bin/env bash
# Sets up, builds and runs every test; the output ends with CTest's summary.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh
export QT_QPA_PLATFORM=offscreen
cd build
ctest --output-on-failure -j "$(nproc)" --timeout 300
