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
# A limit on the whole pass rather than node's --test-timeout, which Debian 12's Node.js 18
# does not know.
PDS_PAGE=$page PDS_NATIVE_BUILD=$PWD/build timeout 900 node --test web/page/tests/
