#!/usr/bin/env bash
# Retakes the pictures of the tabs, the port list and Find in docs/ on a virtual X server (Xvfb), the way the
# window looks on a plain X desktop. A manual step: needs the packages xvfb and xauth.
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir=${BUILD_DIR:-build}
cmake --build "$build_dir" --target take_screenshots
xvfb-run --auto-servernum --server-args="-screen 0 1100x600x24 -dpi 96" \
    env QT_QPA_PLATFORM=xcb "$build_dir/docs/take_screenshots" docs
ls -l docs/tab-*.png docs/welcome-*.png docs/port-list.png docs/find-result.png docs/find-selected.png \
    docs/port-failure-fix.png
