#!/usr/bin/env bash
# Installs what the build needs, builds with warnings as errors, runs the
# whole suite, then the sanitizer build of the core.  Any failure exits non-zero.
set -euo pipefail
cd "$(dirname "$0")"
source ./scripts/deps.sh
qmx_install_deps

jobs=$(nproc 2>/dev/null || echo 2)

# QMX_QUICK_BUILD=1 (the CI run sets it): a clean tree compiled at -O1 and
# without the by-hand benchmarks, which keeps the whole run within the CI's
# time on two cores; the tests are the same.
quick=()
if [[ -n "${QMX_QUICK_BUILD:-}" ]]; then
  quick=(-DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -g -DNDEBUG" -DQMX_BENCH=OFF)
fi

echo "== build (warnings are errors) =="
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQMX_WERROR=ON "${quick[@]}"
cmake --build build -j "$jobs"
echo "== tests =="
QT_QPA_PLATFORM=offscreen ctest --test-dir build --output-on-failure -j "$jobs" --timeout 300

# One clang build of the core with AddressSanitizer and
# UndefinedBehaviorSanitizer serves the core's tests and the fuzz targets.
echo "== sanitizer build of the core (address, undefined) and the fuzz targets =="
CC=clang CXX=clang++ cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DQMX_WERROR=ON \
  -DQMX_SANITIZE=ON -DQMX_CORE_ONLY=ON -DQMX_FUZZ=ON
cmake --build build-asan -j "$jobs"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  ctest --test-dir build-asan --output-on-failure -j "$jobs" --timeout 600

echo "== fuzzing the answer path, the configuration and record files and the Telnet stream (bounded) =="
mkdir -p build-asan/corpus build-asan/config-corpus build-asan/corpus-telnet build-asan/record-corpus
./build-asan/fuzz/answer_fuzzer -max_total_time="${QMX_FUZZ_SECONDS:-30}" -timeout=10 \
  -print_final_stats=1 build-asan/corpus
# The configuration file's parser, from a file the program itself wrote.
cp fuzz/config_seed.cfg build-asan/config-corpus/
./build-asan/fuzz/config_fuzzer -max_total_time="${QMX_CONFIG_FUZZ_SECONDS:-5}" -timeout=10 \
  -print_final_stats=1 build-asan/config-corpus
# The Telnet stream of an RFC 2217 gateway: a few seconds cover it.
./build-asan/fuzz/telnet_fuzzer -max_total_time=5 -timeout=10 build-asan/corpus-telnet
# The record-file parser: some 150 000 files in five seconds.
./build-asan/fuzz/record_file_fuzzer -max_total_time="${QMX_RECORD_FUZZ_SECONDS:-5}" -timeout=10 \
  -print_final_stats=1 build-asan/record-corpus
echo "fuzzing: no crash"
