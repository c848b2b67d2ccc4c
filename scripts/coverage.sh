#!/usr/bin/env bash
# Builds the suite with --coverage into build-coverage/, runs it and prints
# line and function coverage of src/, per folder and in total.
#   scripts/coverage.sh            build, run every test, report
#   scripts/coverage.sh --report   report on what the last runs left behind
set -euo pipefail
cd "$(dirname "$0")/.."
dir=build-coverage
if [ "${1:-}" != "--report" ]; then
  bash scripts/setup.sh
  launcher=()
  if command -v ccache >/dev/null; then launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache); fi
  cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Coverage \
    -DCMAKE_CXX_FLAGS_COVERAGE="-O0 -g --coverage" \
    -DCMAKE_EXE_LINKER_FLAGS_COVERAGE="--coverage" \
    -DNI_BUILD_BENCHMARKS=OFF "${launcher[@]}" >/dev/null
  cmake --build "$dir" -j "$(nproc)"
  # Counters of an earlier run would add to this one.
  find "$dir" -name '*.gcda' -delete
  export QT_QPA_PLATFORM=offscreen
  (cd "$dir" && ctest -j "$(nproc)" --timeout 600 --output-on-failure) || echo "coverage: some tests failed" >&2
fi
json="$dir/coverage-summary.json"
gcovr --root . --object-directory "$dir" --filter 'src/' \
  --exclude-unreachable-branches --gcov-ignore-parse-errors \
  --json-summary "$json" >/dev/null
python3 - "$json" <<'PY'
import json, sys
files = json.load(open(sys.argv[1]))["files"]
folders = {}
for f in files:
    parts = f["filename"].split("/")
    key = "/".join(parts[:2]) if len(parts) > 2 else parts[0]
    t = folders.setdefault(key, [0, 0, 0, 0])
    t[0] += f["line_covered"]; t[1] += f["line_total"]
    t[2] += f["function_covered"]; t[3] += f["function_total"]
def row(name, t):
    pct = lambda a, b: 100.0 * a / b if b else 100.0
    print(f"{name:<16} lines {pct(t[0], t[1]):5.1f} % ({t[0]}/{t[1]})   functions {pct(t[2], t[3]):5.1f} % ({t[2]}/{t[3]})")
total = [0, 0, 0, 0]
for k in sorted(folders):
    row(k, folders[k])
    total = [a + b for a, b in zip(total, folders[k])]
row("total", total)
PY
