#!/usr/bin/env bash
# dorvik.exe's registration run, checked with Wine's own reg.exe: the six entries in order,
# LocalServer32 in 8.3 form, the type library beside them, a second run from elsewhere, a
# failed write, and a server-mode run that writes nothing.
source "$(dirname "${BASH_SOURCE[0]}")/e2e-lib.sh"
source "$E2E_DIR/dorvik-lib.sh"
CLIENT=$BIN/dorvik_client.exe

# register DIR: runs DIR/dorvik.exe with an empty command line; prints the exit code.
register() {
    local rc=0 start end
    start=$(date +%s%N)
    (cd "$1" && "$WINE" dorvik.exe </dev/null) || rc=$?
    end=$(date +%s%N)
    # With the prefix's server running, a start takes a fraction of a second: it must not wait.
    (((end - start) / 1000000 < 5000)) || fail "registration took $(((end - start) / 1000000)) ms"
    echo "$rc"
}

# is_short PATH: every component fits 8.3 and holds no blank.
is_short() {
    local part
    IFS='\' read -ra parts <<<"${1#?:\\}"
    for part in "${parts[@]}"; do
        [[ $part =~ ^[^\ .]{1,8}(\.[^\ .]{1,3})?$ ]] || return 1
    done
}

check_server_path() {  # DIR
    local path
    path=$(value "CLSID\\$CLSID\\LocalServer32")
    echo "LocalServer32 = $path"
    is_short "$path" || fail "LocalServer32 '$path' is not in 8.3 form"
    names_copy "$path" "$1" || fail "LocalServer32 '$path' does not name $1/dorvik.exe"
    path=$(value "$TYPELIB_KEY")
    echo "type library = $path"
    names_copy "$path" "$1" || fail "the type library's registration '$path' does not name $1/dorvik.exe"
}

FIRST="$SCRATCH/First Server Folder"
SECOND="$SCRATCH/Another Long Place"
mkdir -p "$FIRST" "$SECOND"
cp "$BIN/dorvik.exe" "$FIRST/"
printf 'copy two\n' | cat "$BIN/dorvik.exe" - >"$SECOND/dorvik.exe"  # tells the two copies apart

echo "--- first registration"
expect_eq "$(register "$FIRST")" 0 "exit code"
expect_eq "$(value "$PROGID")" "$PROGID" "1 ProgID"
expect_eq "$(value "CLSID\\$CLSID")" "$PROGID" "2 CLSID"
expect_eq "$(value "$PROGID\\CLSID")" "$CLSID" "3 ProgID\\CLSID"
expect_eq "$(value "CLSID\\$CLSID\\ProgID")" "$PROGID" "4 ProgID"
expect_eq "$(value "CLSID\\$CLSID\\InprocHandler32")" "ole32.dll" "5 InprocHandler32"
check_server_path "$FIRST"
# Nothing else but the class's type library beside the six.
expect_eq "$(tree "CLSID\\$CLSID" | grep -v '^\\LocalServer32|')" "$(printf '%s\n' "|(Default)|$PROGID" \
    "\\InprocHandler32|(Default)|ole32.dll" "\\ProgID|(Default)|$PROGID" "\\TypeLib|(Default)|$LIBID" \
    "\\Version|(Default)|1.0" | sort)" "the CLSID key"
expect_eq "$(tree "$PROGID")" "$(printf '%s\n' "|(Default)|$PROGID" "\\CLSID|(Default)|$CLSID" | sort)" "the ProgID key"
expect_eq "$(value "TypeLib\\$LIBID\\1.0")" "Velmora document automation server" "the type library's name"
expect_eq "$(value "Interface\\$IID\\TypeLib")" "$LIBID" "the interface's type library"

echo "--- the registry views"
# The class in the view of dorvik's own bitness only (a 32-bit registration goes to
# Wow6432Node); the ProgID and the type library in both, as Windows shares them.
for view in 32 64; do
    own=$([[ /reg:$view == "$REG_VIEW" ]] && echo present || echo "(missing)")
    seen=$(value "CLSID\\$CLSID\\LocalServer32" "$view")
    [[ $seen == "(missing)" ]] || seen=present
    expect_eq "$seen" "$own" "the class in the $view-bit view"
    expect_eq "$(tree "$PROGID" "$view")" "$(tree "$PROGID")" "the ProgID in the $view-bit view"
    expect_eq "$(tree "TypeLib\\$LIBID" "$view")" "$(tree "TypeLib\\$LIBID")" "the type library in the $view-bit view"
done

echo "--- second registration from another folder"
for key in "$PROGID" "CLSID\\$CLSID" "$PROGID\\CLSID" "CLSID\\$CLSID\\InprocHandler32"; do
    "$WINE" "$REG_EXE" add "HKCR\\$key" /ve /d "changed by hand" /f </dev/null >/dev/null
done
expect_eq "$(register "$SECOND")" 0 "exit code"
expect_eq "$(value "$PROGID")" "changed by hand" "1 kept"
expect_eq "$(value "CLSID\\$CLSID")" "changed by hand" "2 kept"
expect_eq "$(value "$PROGID\\CLSID")" "$CLSID" "3 rewritten"
expect_eq "$(value "CLSID\\$CLSID\\InprocHandler32")" "ole32.dll" "5 rewritten"
check_server_path "$SECOND"

echo "--- a write that fails ends the registration with exit code 1"
"$WINE" "$REG_EXE" delete "HKCR\\$PROGID" /f </dev/null >/dev/null
"$WINE" "$REG_EXE" delete "HKCR\\CLSID\\$CLSID" /f </dev/null >/dev/null
# Under a volatile key no lasting key can be made: entry 3 fails, 4 to 6 are never written.
"$WINE" "$CLIENT" volatile "$PROGID" </dev/null >/dev/null || fail "volatile key"
expect_eq "$(register "$FIRST")" 1 "exit code"
expect_eq "$(value "CLSID\\$CLSID")" "$PROGID" "2 written"
expect_eq "$(value "$PROGID\\CLSID")" "(missing)" "3 failed"
expect_eq "$(value "CLSID\\$CLSID\\ProgID")" "(missing)" "4 skipped"

echo "--- server mode writes nothing"
"$WINE" "$REG_EXE" delete "HKCR\\$PROGID" /f </dev/null >/dev/null
"$WINE" "$REG_EXE" delete "HKCR\\CLSID\\$CLSID" /f </dev/null >/dev/null
for switch in -EMBEDDING /automation; do
    wine_run_bg pid "$FIRST/dorvik.exe" "$switch"
    sleep 2
    kill -0 "$pid" 2>/dev/null || fail "$switch: the server did not wait for clients"
    expect_eq "$(value "$PROGID")" "(missing)" "$switch: ProgID"
    expect_eq "$(value "CLSID\\$CLSID")" "(missing)" "$switch: CLSID"
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
done

finish
