#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test through CTest: the native build as built
# for use, then the passes of the other front ends and programs (the Ansible module, the core in
# WebAssembly under Node.js, the browser page in headless Chromium, the Windows build under
# Wine, the release made and each of its files tried), then the native build once more under
# AddressSanitizer and UndefinedBehaviorSanitizer in a folder of its own.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc)

scripts/setup.sh
ctest --test-dir build --output-on-failure -j"$jobs"
scripts/test_ansible.sh
scripts/test_web.sh
scripts/test_page.sh
scripts/test_windows.sh
scripts/test_release.sh

echo "Again under the sanitizers (build-asan):"
BUILD_DIR=build-asan PDS_CMAKE_ARGS="-DPDS_SANITIZE=ON -DPDS_BUILD_BENCH=OFF" scripts/setup.sh
export ASAN_OPTIONS=abort_on_error=1:detect_leaks=1:strict_string_checks=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export LSAN_OPTIONS=suppressions=$PWD/tests/sanitizer/lsan.supp:print_suppressions=0
ctest --test-dir build-asan --output-on-failure -j"$jobs"
