#!/usr/bin/env bash
# Builds the libFuzzer targets with clang into build-fuzz/ and runs each one
# briefly over its committed corpus. Seconds per target: $1 (default 10).
# A crash, leak or broken invariant fails the script; the input that caused
# it is left in build-fuzz/ (crash-*, leak-*, timeout-*).
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-10}"
fuzzers=(css_color_fuzzer notes_library_fuzzer keyed_archive_fuzzer rich_text_fuzzer file_name_fuzzer note_body_fuzzer note_table_fuzzer
  backup_keybag_fuzzer backup_file_record_fuzzer)
bash scripts/setup.sh
launcher=()
if command -v ccache >/dev/null; then launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache); fi
cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_CXX_COMPILER=clang++ -DNI_BUILD_FUZZERS=ON -DNI_BUILD_TESTS=OFF -DNI_BUILD_BENCHMARKS=OFF \
  "${launcher[@]}" >/dev/null
cmake --build build-fuzz -j "$(nproc)" --target "${fuzzers[@]}"
# Leaks inside the uninstrumented Qt and libplist are not ours to report.
export LSAN_OPTIONS="suppressions=$PWD/scripts/lsan.supp:print_suppressions=0"
export QT_QPA_PLATFORM=offscreen
failed=()
for fuzzer in "${fuzzers[@]}"; do
  name="${fuzzer%_fuzzer}"
  work="build-fuzz/corpus/$name"
  mkdir -p "$work"
  echo "== $fuzzer: ${seconds}s over fuzz/corpus/$name"
  set +e
  "build-fuzz/bin/$fuzzer" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
    -artifact_prefix="build-fuzz/$name-" "$work" "fuzz/corpus/$name" > "build-fuzz/$name.log" 2>&1
  status=$?
  set -e
  if [ "$status" -ne 0 ]; then
    tail -n 40 "build-fuzz/$name.log"
    failed+=("$fuzzer")
  else
    grep -E '^stat::(number_of_executed_units|peak_rss_mb)|^Done ' "build-fuzz/$name.log" || true
  fi
done
if [ ${#failed[@]} -gt 0 ]; then
  echo "fuzz: failed: ${failed[*]}" >&2
  exit 1
fi
