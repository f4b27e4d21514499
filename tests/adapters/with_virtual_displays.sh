#!/usr/bin/env bash
# Runs a Windows program under Wine with virtual displays (Linux programs on pseudo-terminals)
# behind COM ports of the Wine prefix, then stops them:
#   with_virtual_displays.sh VIRTUAL_DISPLAY WINEPREFIX COMMAND...
# COM5 a display that answers, its memory in %PDS_COM5_MEMORY%; COM6 a silent one; COM7 one
# that answers a write with a wrong check byte; COM8 one that hangs up inside its reply; COM12,
# above COM9, one that answers. COM30 maps to nothing. The ports are the prefix's, so tests that use them must not run at once.
set -euo pipefail
virtual_display=$1
prefix=$2
shift 2

work=$(mktemp -d)
pids=()
stop_displays() {
    for pid in "${pids[@]}"; do kill -TERM "$pid" 2>/dev/null || true; done
    for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null || true; done
    rm -rf "$work"
}
trap stop_displays EXIT

# Starts a display with the given options behind COM$1 once it has named its device.
start_display() {
    local com=$1
    shift
    "$virtual_display" --memory "$work/display$com.vfd" "$@" >"$work/com$com.log" 2>&1 &
    pids+=($!)
    local line=""
    for _ in $(seq 100); do
        line=$(grep -m1 "^Virtual pole display on " "$work/com$com.log" 2>/dev/null || true)
        [ -n "$line" ] && break
        sleep 0.1
    done
    if [ -z "$line" ]; then
        echo "The virtual display for COM$com did not start:" >&2
        cat "$work/com$com.log" >&2
        exit 1
    fi
    local device=${line#Virtual pole display on }
    # The Wine server opens the devices for its programs. A session leader without a terminal,
    # it would make the first it opens its controlling terminal, and then take the line's
    # hang-up and any control character the display sends as signals to itself. A holder in a
    # session of its own takes the device first; it goes with the display's hang-up.
    # shellcheck disable=SC2016 # expanded by the inner shell
    setsid sh -c 'exec 3<>"$1" && echo held; exec sleep 86400' sh "$device" \
        >"$work/hold$com" 2>&1 </dev/null &
    pids+=($!)
    for _ in $(seq 100); do
        grep -q held "$work/hold$com" 2>/dev/null && break
        sleep 0.05
    done
    ln -sfn "$device" "$prefix/dosdevices/com$com"
}

start_display 5 --no-pacing
start_display 6 --silent
start_display 7 --no-pacing --wrong-check
start_display 8 --hang-up-after 60
start_display 12 --no-pacing
rm -f "$prefix/dosdevices/com30"

# Not named after the port: in any folder, "com5.vfd" is the device COM5 to Windows.
# Wine shows the root of the Linux file system as drive Z:.
export PDS_COM5_MEMORY="Z:$work/display5.vfd"
# What each display printed, as Linux paths: comN.log.
export PDS_DISPLAY_LOGS=$work
# Not exec: the displays are stopped when the program ends.
"$@"
