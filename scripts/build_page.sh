#!/usr/bin/env bash
# Builds the browser page, build-wasm/pole-display-setup.html, in the one emscripten build of
# the core (scripts/build_wasm.sh); a second run rebuilds only what changed. Prints the page's
# path.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/build_wasm.sh page >&2
echo "$PWD/build-wasm/pole-display-setup.html"
