#!/usr/bin/env bash
# dorvik.exe's registration switches, checked with Wine's own reg.exe: /RegServer registers as
# a plain run does, /UnregServer (any case, / or -) removes the class and its type library only
# when they name this copy, and both end with exit code 0 when the entries are in place or gone.
# Wine's registry has no access control, so a removal that fails (exit code 1) cannot be shown.
source "$(dirname "${BASH_SOURCE[0]}")/e2e-lib.sh"
source "$E2E_DIR/dorvik-lib.sh"

A="$SCRATCH/Copy A"
B="$SCRATCH/Copy B"
mkdir -p "$A" "$B"
cp "$BIN/dorvik.exe" "$A/"
printf 'copy B\n' | cat "$BIN/dorvik.exe" - >"$B/dorvik.exe"

# run DIR [SWITCH]: runs DIR/dorvik.exe; prints the exit code.
run() {
    local rc=0
    (cd "$1" && "$WINE" dorvik.exe "${@:2}" </dev/null) || rc=$?
    echo "$rc"
}

# Everything a registration writes, in both registry views: the class, its ProgID, the type
# library and its interface.
snapshot() {
    local view key line
    for view in 32 64; do
        for key in "CLSID\\$CLSID" "$PROGID" "TypeLib\\$LIBID" "Interface\\$IID"; do
            tree "$key" "$view" | while IFS= read -r line; do printf '%s:%s%s\n' "$view" "$key" "$line"; done
        done
    done
}

echo "--- a plain registration, removed and written again by /RegServer"
expect_eq "$(run "$A")" 0 "plain registration"
plain=$(snapshot)
[[ $plain == *LocalServer32* && $plain == *win* ]] || fail "the registration is incomplete: $plain"
expect_eq "$(run "$A" /UnregServer)" 0 "/UnregServer"
expect_eq "$(snapshot)" "" "left after /UnregServer"
expect_eq "$(run "$A" /UnregServer)" 0 "/UnregServer with nothing registered"
expect_eq "$(run "$A" /RegServer)" 0 "/RegServer"
expect_eq "$(snapshot)" "$plain" "the registration /RegServer writes"

echo "--- another copy leaves the registration alone"
for switch in /UnregServer -UNREGSERVER; do
    expect_eq "$(run "$B" "$switch")" 0 "copy B $switch"
    expect_eq "$(snapshot)" "$plain" "after copy B $switch"
done

echo "--- the switch in any case, after / or -; anything else registers"
for switch in -unregserver /UNREGSERVER -UnRegServer; do
    expect_eq "$(run "$A" /regserver)" 0 "/regserver before $switch"
    expect_eq "$(run "$A" "$switch")" 0 "$switch"
    expect_eq "$(snapshot)" "" "left after $switch"
done
for switch in /UnregServers --UnregServer UnregServer; do
    expect_eq "$(run "$A" "$switch")" 0 "$switch"
    expect_eq "$(snapshot)" "$plain" "$switch registers"
done

echo "--- LocalServer32 decides whose the class is"
A_LONG=$(winpath "$A/dorvik.exe")
B_LONG=$(winpath "$B/dorvik.exe")
# LocalServer32 as written by hand or by another tool | whether copy A's removal takes the class
while IFS='|' read -r server removed; do
    run "$A" >/dev/null
    "$WINE" "$REG_EXE" add "HKCR\\CLSID\\$CLSID\\LocalServer32" /ve /d "$server" /f </dev/null >/dev/null
    expect_eq "$(run "$A" /UnregServer)" 0 "/UnregServer with LocalServer32 $server"
    if [[ $removed == yes ]]; then
        expect_eq "$(value "CLSID\\$CLSID")$(value "$PROGID")" "(missing)(missing)" "removed with LocalServer32 $server"
    else
        expect_eq "$(value "CLSID\\$CLSID\\LocalServer32")|$(value "$PROGID\\CLSID")" "$server|$CLSID" "kept with LocalServer32 $server"
    fi
    "$WINE" "$REG_EXE" delete "HKCR\\CLSID\\$CLSID" /f </dev/null >/dev/null 2>&1 || true
    "$WINE" "$REG_EXE" delete "HKCR\\$PROGID" /f </dev/null >/dev/null 2>&1 || true
done <<CASES
$A_LONG|yes
"$A_LONG" -Automation|yes
$A_LONG /Automation|yes
$(printf '%s' "$A_LONG" | tr '[:lower:]' '[:upper:]')|yes
$B_LONG|no
"$B_LONG"|no
$A_LONG.bak|no
C:\\windows\\system32\\notepad.exe|no
|no
CASES

echo "--- a ProgID that now names another class stays"
run "$A" >/dev/null
OTHER='{00000000-1111-2222-3333-444444444444}'
"$WINE" "$REG_EXE" add "HKCR\\$PROGID\\CLSID" /ve /d "$OTHER" /f </dev/null >/dev/null
expect_eq "$(run "$A" /UnregServer)" 0 "/UnregServer"
expect_eq "$(value "CLSID\\$CLSID")|$(value "$PROGID\\CLSID")" "(missing)|$OTHER" "class removed, ProgID kept"

finish
