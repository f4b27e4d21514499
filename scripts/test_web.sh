#!/usr/bin/env bash
# The browser build's test pass: builds the core, its tests and the browser module with
# emscripten (scripts/build_wasm.sh), runs the core's tests under Node.js, type-checks the
# JavaScript and checks its style, and drives the module's transfers against the virtual
# display of ./build through the bridge. Expects ./build to be built (scripts/setup.sh). A second run rebuilds
# only what changed and installs nothing.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc)

scripts/install_packages.sh nodejs
scripts/build_wasm.sh
# The layer and glyph checks read the sources alone; the native pass runs them. The file
# store's device and fifo cases need a system's devices, which Node.js's file system has not.
ctest --test-dir build-wasm --output-on-failure -j"$jobs" \
    -E '^(layers|layers_planted|glyph_data_reproduces|DiskFileStorePosixTest\..*)$'

scripts/npm_packages.sh
# One JavaScript style, Prettier's with the settings of .prettierrc.json: `npm run style -- --write`
# in web/ puts every script into it.
(cd web && npm run --silent style -- --check)
(cd web && npx --no-install tsc -p tsconfig.json && npx --no-install tsc -p page/tsconfig.json)
PDS_VIRTUAL_DISPLAY=$PWD/build/tools/virtual_display/virtual_display \
PDS_WEB_CORE=$PWD/build-wasm/web/pole_display_setup.js \
    node --test web/tests/
