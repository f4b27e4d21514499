#!/usr/bin/env bash
# Cross-builds the core and its tests for 64-bit Windows and runs them under Wine through
# CTest, in the Wine settings the build script sets (it is read here, not run apart).
set -euo pipefail
echo "The core for Windows, under Wine (build-windows):"
cd "$(dirname "$0")/.."
source scripts/build_windows.sh
# The checks of the sources themselves run in the native pass; here everything runs under Wine.
# Now and then a Wine program dies as it starts, before the test's first line, while another
# starts beside it; a test that fails is run once more, so only a failure that comes back
# counts. A fault in the code fails both times.
ctest --test-dir "$build_dir/core" --output-on-failure -j"$(nproc)" --repeat until-pass:2 \
    -E '^(layers|layers_planted|glyph_data_reproduces)$'

