#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test through CTest: once as built for use,
# once more under AddressSanitizer and UndefinedBehaviorSanitizer in a folder of its own.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc)

scripts/setup.sh
ctest --test-dir build --output-on-failure -j"$jobs"

echo "Again under the sanitizers (build-asan):"
BUILD_DIR=build-asan PDS_CMAKE_ARGS="-DPDS_SANITIZE=ON -DPDS_BUILD_BENCH=OFF" scripts/setup.sh
export ASAN_OPTIONS=abort_on_error=1:detect_leaks=1:strict_string_checks=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export LSAN_OPTIONS=suppressions=$PWD/tests/sanitizer/lsan.supp:print_suppressions=0
ctest --test-dir build-asan --output-on-failure -j"$jobs"

scripts/test_windows.sh
