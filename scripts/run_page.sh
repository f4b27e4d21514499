#!/usr/bin/env bash
# The browser page with a virtual display behind a WebSocket bridge (scripts/run.sh --web).
# Opened with the address printed, the page offers the virtual display in "Com Port Select :".
set -euo pipefail
cd "$(dirname "$0")/.."
page=$(scripts/build_page.sh)
[ -f build/CMakeCache.txt ] || scripts/setup.sh
cmake --build build --target virtual_display
if [ ! -f web/node_modules/.package-lock.json ] || [ web/package-lock.json -nt web/node_modules/.package-lock.json ]; then
    (cd web && npm ci --no-audit --no-fund)
fi

exec {display_out}< <(exec build/tools/virtual_display/virtual_display)
display_pid=$!
exec {bridge_out}< <(exec node web/page/serial_bridge.mjs)
bridge_pid=$!
stop_both() {
    kill -TERM "$display_pid" "$bridge_pid" 2>/dev/null || true
    wait 2>/dev/null || true
}
trap stop_both EXIT

read -r -t 10 first_line <&"$display_out" || { echo "The virtual pole display did not start." >&2; exit 1; }
read -r -t 10 bridge <&"$bridge_out" || { echo "The bridge did not start." >&2; exit 1; }
device=${first_line#Virtual pole display on }
echo "$first_line, bridged at $bridge"
echo "Open in Chrome or Edge (Ctrl-C stops both):"
echo "  file://$page?bridge=$bridge&device=$device"
cat <&"$display_out"
