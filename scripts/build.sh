#!/usr/bin/env bash
# Installs what the build needs, then configures and builds into build/.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
launcher=()
# ccache is optional; it only speeds up rebuilds where it is installed.
if command -v ccache >/dev/null; then launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache); fi
# The Debian package is made with the programs (only when they changed), so
# the tests can unpack it.
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DNI_BUILD_PACKAGE=ON "${launcher[@]}"
cmake --build build -j "$(nproc)"
