#!/usr/bin/env bash
# Installs the Debian packages the browser build needs (only those missing), then configures
# and builds the core, its tests, the browser module and the page with emscripten into
# ./build-wasm, or only the targets named (scripts/build_wasm.sh page). A second run installs
# nothing and rebuilds only what changed.
set -euo pipefail
cd "$(dirname "$0")/.."

# node-acorn: em++ parses the JavaScript it writes with it; googletest: its source, built here
# for WebAssembly.
scripts/install_packages.sh emscripten node-acorn googletest cmake ninja-build

build_dir=build-wasm
options="-G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE=$PWD/cmake/emscripten.cmake
 -DPDS_BUILD_QT=OFF -DPDS_BUILD_BENCH=OFF ${PDS_WASM_CMAKE_ARGS:-}"
if command -v ccache >/dev/null; then
    options="$options -DCMAKE_CXX_COMPILER_LAUNCHER=ccache"
fi
stamp="$build_dir/.configured-with"
if [ ! -f "$build_dir/CMakeCache.txt" ] || [ "$(cat "$stamp" 2>/dev/null)" != "$options" ]; then
    rm -f "$build_dir/CMakeCache.txt"
    # shellcheck disable=SC2086 # the options are meant to split into words
    cmake -S . -B "$build_dir" $options
    printf '%s' "$options" >"$stamp"
fi
if (($#)); then
    cmake --build "$build_dir" --target "$@"
else
    cmake --build "$build_dir"
fi
