#!/bin/sh
# Runs a Windows program under Wine:  wine_run.sh WINE64 WINESERVER PROGRAM [ARGUMENTS...]
# The prefix and the rest come from the environment (the toolchain file sets them).
#
# The Wine server is started here, its output thrown away, rather than by the first program
# with that program's output: the server opens the COM ports' devices, so a pseudo-terminal
# that hangs up sends it SIGHUP, on which it writes a long report of its objects; into a pipe
# whose reader has gone, that write would end the server and every program it serves. It stays
# a few seconds after its last program, so the next one finds it.
wine64=$1
wineserver=$2
shift 2
"$wineserver" -p5 >/dev/null 2>&1 </dev/null || true
exec "$wine64" "$@"
