#!/usr/bin/env bash
# Installs the Debian packages the build needs (only those missing), then configures and
# builds into ./build (or $BUILD_DIR, configured with the extra CMake options in
# $PDS_CMAKE_ARGS). A second run installs nothing and rebuilds only what changed.
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(g++ cmake ninja-build pkg-config qt6-base-dev qt6-qpa-plugins qt6-serialport-dev libgtest-dev libgmock-dev)
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
    echo "Installing: ${missing[*]}"
    sudo_cmd=()
    [ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
    export DEBIAN_FRONTEND=noninteractive
    "${sudo_cmd[@]}" apt-get update -qq
    "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" </dev/null
fi

build_dir=${BUILD_DIR:-build}
if [ ! -f "$build_dir/CMakeCache.txt" ]; then
    # shellcheck disable=SC2086 # the extra options are meant to split into words
    cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo ${PDS_CMAKE_ARGS:-}
fi
cmake --build "$build_dir"
