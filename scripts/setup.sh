#!/usr/bin/env bash
# Installs the Debian packages the build needs (only those missing), then configures and
# builds into ./build (or $BUILD_DIR, configured with the extra CMake options in
# $PDS_CMAKE_ARGS). A second run installs nothing and rebuilds only what changed.
set -euo pipefail
cd "$(dirname "$0")/.."

# xfonts-base, pcf2bdf and locales: only the test that remakes the glyph table reads them.
packages=(g++ cmake ninja-build pkg-config qt6-base-dev qt6-qpa-plugins qt6-serialport-dev libgtest-dev libgmock-dev
          nlohmann-json3-dev xfonts-base pcf2bdf locales)
# vfdctl parses its command line with CLI11 (header-only).
packages+=(libcli11-dev)
scripts/install_packages.sh "${packages[@]}"

build_dir=${BUILD_DIR:-build}
# The options the folder was configured with are kept beside it, so that a change of them
# configures it again while an unchanged second run goes straight to the build.
options="-G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo ${PDS_CMAKE_ARGS:-}"
stamp="$build_dir/.configured-with"
if [ ! -f "$build_dir/CMakeCache.txt" ] || [ "$(cat "$stamp" 2>/dev/null)" != "$options" ]; then
    # A fresh cache, so an option left out goes back to its default.
    rm -f "$build_dir/CMakeCache.txt"
    # shellcheck disable=SC2086 # the options are meant to split into words
    cmake -S . -B "$build_dir" $options
    printf '%s' "$options" >"$stamp"
fi
cmake --build "$build_dir"
