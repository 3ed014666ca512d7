#!/usr/bin/env bash
# A shipped program imports only DLLs that every Windows system has: the runtime is linked in.
set -euo pipefail
objdump=$1; shift
allowed='^(kernel32|user32|gdi32|advapi32|shell32|ole32|oleaut32|version|mpr|comctl32|msvcrt)\.dll$'
status=0
for exe in "$@"; do
    file -b "$exe" | grep -q 'PE32.*(GUI)' || { echo "$exe: not a Windows GUI program: $(file -b "$exe")"; status=1; }
    while read -r dll; do
        if [[ ${dll,,} =~ $allowed ]]; then echo "$exe: $dll"; else echo "$exe: imports $dll, which is not a system DLL"; status=1; fi
    done < <("$objdump" -p "$exe" | sed -n 's/^\s*DLL Name: //p')
done
exit $status
