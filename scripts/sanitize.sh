#!/usr/bin/env bash
# Builds the test suite with AddressSanitizer and UndefinedBehaviorSanitizer
# (the "asan" preset, into build-asan/) and runs it.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
launcher=()
if command -v ccache >/dev/null; then launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache); fi
cmake --preset asan "${launcher[@]}" >/dev/null
# Test discovery runs the test programs while building: same options as ctest.
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:strict_string_checks=1:detect_stack_use_after_return=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
export LSAN_OPTIONS="suppressions=$PWD/scripts/lsan.supp:print_suppressions=0"
cmake --build --preset asan -j "$(nproc)"
# Only the summary here, so that the normal run's summary stays the last output.
log=build-asan/ctest.log
if ! ctest --preset asan -j "$(nproc)" > "$log" 2>&1; then
  grep -vE '^ *(Start +[0-9]+:|[0-9]+/[0-9]+ Test +#[0-9]+: .* Passed)' "$log" | tail -n 300
  echo "sanitize: tests failed under the sanitizers (full log: $log)" >&2
  exit 1
fi
echo "sanitize: $(grep -E 'tests passed' "$log")"
