#!/usr/bin/env bash
# The browser page's own test pass: builds the page, the virtual display and the desktop
# core's reference Save, then runs the browser tests in headless Chromium.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install_packages.sh chromium
page=$(scripts/build_page.sh)
[ -f build/CMakeCache.txt ] || scripts/setup.sh
cmake --build build --target virtual_display reference_save

scripts/npm_packages.sh
PDS_PAGE=$page PDS_NATIVE_BUILD=$PWD/build node --test --test-timeout=120000 web/page/tests/
