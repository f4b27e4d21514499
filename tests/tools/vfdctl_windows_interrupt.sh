#!/usr/bin/env bash
# Ctrl-C stops vfdctl.exe with status 130, its word for it and no file written. Wine passes a
# SIGINT on to a console program as Ctrl-C. Runs under with_virtual_displays.sh (COM6 silent):
#   vfdctl_windows_interrupt.sh EMULATOR... VFDCTL_EXE
set -euo pipefail
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT

# The emulator runs the program in its own process (env and sh exec into it), so this is the
# process Wine runs vfdctl in.
"$@" read --port COM6 -o "Z:$out/read.vfd" >"$out/said" 2>&1 &
vfdctl=$!
# Interrupted while it waits for the display's answer, once the request is out.
for _ in $(seq 400); do
    grep -q "Read request: left unanswered" "$PDS_DISPLAY_LOGS/com6.log" 2>/dev/null && break
    sleep 0.05
done
kill -INT "$vfdctl"
status=0
wait "$vfdctl" || status=$?

faults=0
fail() {
    echo "$1"
    faults=$((faults + 1))
}
((status == 130)) || fail "status $status, not 130"
grep -q "^vfdctl: stopped by SIGINT; no display was left with part of a configuration" \
    "$out/said" || fail "no word of the interruption"
[ ! -e "$out/read.vfd" ] || fail "a file was written"
echo "vfdctl said:"
cat "$out/said"
((faults == 0))
