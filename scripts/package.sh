#!/usr/bin/env bash
# Builds the Debian package build/package/notes-import_<version>_<arch>.deb
# and checks it with lintian, which must report no errors (the warnings
# left are listed in the README with their reasons).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh
cmake --build build --target deb
deb=$(ls -t build/package/notes-import_*.deb | head -n 1)
lintian --fail-on error "$deb"
echo "package: $deb"
