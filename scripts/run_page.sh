#!/usr/bin/env bash
# The browser page with a virtual display behind its WebSocket bridge (scripts/run.sh --web).
# Opened with the address printed, the page offers the virtual display in "Com Port Select :".
set -euo pipefail
cd "$(dirname "$0")/.."
page=$(scripts/build_page.sh)
[ -f build/CMakeCache.txt ] || scripts/setup.sh
cmake --build build --target virtual_display
scripts/npm_packages.sh

# The bridge starts the display and names it, then announces itself; both go on printing.
exec {bridge_out}< <(exec node web/bridge/bridge.js --display build/tools/virtual_display/virtual_display)
bridge_pid=$!
stop_bridge() {
    kill -TERM "$bridge_pid" 2>/dev/null || true
    wait "$bridge_pid" 2>/dev/null || true
}
trap stop_bridge EXIT

bridge=
while read -r -t 10 line <&"$bridge_out"; do
    echo "$line"
    if [[ $line == "Bridge on "* ]]; then
        bridge=${line#Bridge on }
        break
    fi
done
[ -n "$bridge" ] || { echo "The virtual display or its bridge did not start." >&2; exit 1; }
echo "Open in Chrome or Edge (Ctrl-C stops both):"
echo "  file://$page?bridge=$bridge"
cat <&"$bridge_out"
