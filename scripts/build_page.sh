#!/usr/bin/env bash
# Builds the browser page, build-page/pole-display-setup.html (or $PAGE_BUILD_DIR), with
# emscripten; a second run rebuilds only what changed. Prints the page's path.
set -euo pipefail
cd "$(dirname "$0")/.."

# node-acorn: emscripten's JavaScript optimizer parses with it.
scripts/install_packages.sh emscripten node-acorn ninja-build cmake >&2
page_dir=${PAGE_BUILD_DIR:-build-page}
if [ ! -f "$page_dir/CMakeCache.txt" ]; then
    emcmake cmake -S . -B "$page_dir" -G Ninja -DCMAKE_BUILD_TYPE=Release -DPDS_BUILD_QT=OFF \
        -DPDS_BUILD_TESTS=OFF -DPDS_BUILD_BENCH=OFF >&2
fi
cmake --build "$page_dir" --target page >&2
echo "$PWD/$page_dir/pole-display-setup.html"
