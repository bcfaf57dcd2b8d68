#!/usr/bin/env bash
# Installs what the build needs, builds with warnings as errors, runs the
# whole suite, then the sanitizer build of the core.  Any failure exits non-zero.
set -euo pipefail
cd "$(dirname "$0")"
source ./scripts/deps.sh
qmx_install_deps

jobs=$(nproc 2>/dev/null || echo 2)

echo "== build (warnings are errors) =="
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQMX_WERROR=ON
cmake --build build -j "$jobs"
echo "== tests =="
QT_QPA_PLATFORM=offscreen ctest --test-dir build --output-on-failure -j "$jobs" --timeout 300

echo "== sanitizer build of the core (address, undefined) =="
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DQMX_WERROR=ON -DQMX_SANITIZE=ON \
  -DQMX_CORE_ONLY=ON
cmake --build build-asan -j "$jobs"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  ctest --test-dir build-asan --output-on-failure -j "$jobs" --timeout 600

echo "== fuzzing the answer path and the record-file parser (bounded) =="
CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DQMX_FUZZ=ON -DQMX_CORE_ONLY=ON
cmake --build build-fuzz -j "$jobs" --target answer_fuzzer record_file_fuzzer
mkdir -p build-fuzz/corpus build-fuzz/record-corpus
./build-fuzz/fuzz/answer_fuzzer -max_total_time="${QMX_FUZZ_SECONDS:-30}" -timeout=10 \
  -print_final_stats=1 build-fuzz/corpus
# The record-file parser: some 150 000 files in five seconds.
./build-fuzz/fuzz/record_file_fuzzer -max_total_time="${QMX_RECORD_FUZZ_SECONDS:-5}" -timeout=10 \
  -print_final_stats=1 build-fuzz/record-corpus
echo "fuzzing: no crash"
