#!/usr/bin/env bash
# Cross-builds the core, vfdctl.exe and the tests for 64-bit Windows with MinGW-w64 into
# ./build-windows (or $WINDOWS_BUILD_DIR), with the Wine prefix the tests run in. A second run
# builds only what changed. The Wine prefix lives in the build folder; it is made once, with no
# window and no network. scripts/test_windows.sh runs the tests; scripts/release.sh takes
# vfdctl.exe from here.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

scripts/install_packages.sh g++-mingw-w64-x86-64-posix wine64 googletest nlohmann-json3-dev \
    libcli11-dev cmake ninja-build

build_dir=$(realpath -m "${WINDOWS_BUILD_DIR:-build-windows}")
toolchain=$root/cmake/mingw-w64-x86_64.cmake
target_prefix=$build_dir/target
mkdir -p "$build_dir"

export WINEPREFIX=$build_dir/wine
export WINEDEBUG=-all
# No Mono or Gecko installer dialog, nothing fetched; no window.
export WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY WAYLAND_DISPLAY
wine=/usr/lib/wine/wine64
if [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "Making the Wine prefix $WINEPREFIX"
    "$wine" wineboot --init >/dev/null 2>&1
    /usr/lib/wine/wineserver -w
fi

# The serial adapter's tests talk to the Linux build's virtual display.
host_display=$root/build/tools/virtual_display/virtual_display
if [ ! -f build/CMakeCache.txt ]; then
    scripts/setup.sh
elif [ ! -x "$host_display" ]; then
    cmake --build build --target virtual_display
fi

# GoogleTest from Debian's sources, built once for the target.
if [ ! -f "$target_prefix/lib/cmake/GTest/GTestConfig.cmake" ]; then
    cmake -S /usr/src/googletest -B "$build_dir/googletest" -G Ninja \
        -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_INSTALL_PREFIX="$target_prefix" -Dgtest_disable_pthreads=OFF
    cmake --build "$build_dir/googletest"
    cmake --install "$build_dir/googletest" >/dev/null
fi

# Debian's header-only libraries for the target: their headers and CMake packages alone, as
# the rest of /usr/include is the build machine's.
for package in nlohmann_json:nlohmann CLI11:CLI; do
    mkdir -p "$target_prefix/include" "$target_prefix/share/cmake"
    ln -sfn "/usr/include/${package#*:}" "$target_prefix/include/${package#*:}"
    [ -d "$target_prefix/share/cmake/${package%%:*}" ] ||
        cp -r "/usr/share/cmake/${package%%:*}" "$target_prefix/share/cmake/"
done

options="-G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_TOOLCHAIN_FILE=$toolchain
 -DPDS_BUILD_QT=OFF -DPDS_BUILD_BENCH=OFF -DPDS_WINEPREFIX=$WINEPREFIX
 -DGTest_DIR=$target_prefix/lib/cmake/GTest
 -Dnlohmann_json_DIR=$target_prefix/share/cmake/nlohmann_json
 -DCLI11_DIR=$target_prefix/share/cmake/CLI11
 -DPDS_HOST_VIRTUAL_DISPLAY=$host_display ${PDS_CMAKE_ARGS:-}"
stamp=$build_dir/.configured-with
if [ ! -f "$build_dir/core/CMakeCache.txt" ] || [ "$(cat "$stamp" 2>/dev/null)" != "$options" ]; then
    rm -f "$build_dir/core/CMakeCache.txt"
    # shellcheck disable=SC2086 # the options are meant to split into words
    cmake -S . -B "$build_dir/core" $options
    printf '%s' "$options" >"$stamp"
fi
cmake --build "$build_dir/core"
