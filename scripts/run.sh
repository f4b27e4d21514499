#!/usr/bin/env bash
# Installs what is missing, builds, and starts the utility.
#   scripts/run.sh              starts a virtual pole display beside the window and puts its
#                               device into the port box, so everything works without hardware
#   scripts/run.sh /dev/ttyUSB0 starts the window with that device in the port box
#   scripts/run.sh --web        builds the browser page and starts a virtual display with its
#                               WebSocket bridge, and prints the page to open
set -euo pipefail
cd "$(dirname "$0")/.."
if [[ ${1:-} == --web ]]; then
    exec scripts/run_page.sh
fi
scripts/setup.sh
# The program looks for its help document in the folder it starts in: the build folder.
cd "${BUILD_DIR:-build}"

if (($# > 0)); then
    exec ./pole-display-setup --port "$1"
fi

# The virtual display's first line names its device; what it prints later (each configuration
# it receives) is passed on to this terminal.
exec {display_out}< <(exec tools/virtual_display/virtual_display)
display_pid=$!
stop_display() {
    kill -TERM "$display_pid" 2>/dev/null || true
    wait "$display_pid" 2>/dev/null || true
}
trap stop_display EXIT

if ! read -r -t 10 first_line <&"$display_out" || [[ $first_line != "Virtual pole display on "* ]]; then
    echo "The virtual pole display did not start." >&2
    exit 1
fi
device=${first_line#Virtual pole display on }
echo "$first_line"
echo "Pick $device in \"Com Port Select :\" (it is already typed in). Close the window to stop both."
cat <&"$display_out" &

./pole-display-setup --port "$device"
