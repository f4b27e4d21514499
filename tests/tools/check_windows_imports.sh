#!/usr/bin/env bash
# Fails when a Windows program needs a DLL that Windows itself does not have (the compiler's
# run-time libraries, say), so that it would not run where nothing was installed:
#   check_windows_imports.sh OBJDUMP PROGRAM.exe SYSTEM32
# SYSTEM32 is the system folder of a Wine prefix, which holds the DLLs Windows comes with.
set -euo pipefail
objdump=$1
program=$2
system32=$3

mapfile -t dlls < <("$objdump" -p "$program" | sed -n 's/^\s*DLL Name: //p')
((${#dlls[@]})) || { echo "no imports found in $program" >&2; exit 1; }
faults=0
for dll in "${dlls[@]}"; do
    if [ -z "$(find "$system32" -maxdepth 1 -iname "$dll" -print -quit)" ]; then
        echo "$program needs $dll, which Windows does not have"
        faults=$((faults + 1))
    fi
done
echo "imports: ${dlls[*]}"
((faults == 0))
