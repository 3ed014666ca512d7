#!/usr/bin/env bash
# A shipped program is a Windows GUI program that imports only KnownDLLs: the runtime is linked
# in, and every other DLL is loaded from the system directory by name, never found by the
# search that looks in the program's own folder first.
set -euo pipefail
objdump=$1; shift
known=$(grep -v '^#' "$(dirname "${BASH_SOURCE[0]}")/known-dlls.txt")
status=0
for exe in "$@"; do
    file -b "$exe" | grep -q 'PE32.*(GUI)' || { echo "$exe: not a Windows GUI program: $(file -b "$exe")"; status=1; }
    while read -r dll; do
        if grep -qxF "${dll,,}" <<<"$known"; then echo "$exe: $dll"; else echo "$exe: imports $dll, which is not a KnownDLL"; status=1; fi
    done < <("$objdump" -p "$exe" | sed -n 's/^\s*DLL Name: //p')
done
exit $status
