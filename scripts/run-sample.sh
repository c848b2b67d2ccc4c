#!/usr/bin/env bash
# Sets up, builds and exports the bundled sample Notes library.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh
destination="${1:-${TMPDIR:-/tmp}/Notes Import}"
echo "Exporting the sample library into: $destination"
build/bin/notes-export --destination "$destination" --no-handoff
