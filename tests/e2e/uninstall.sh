#!/usr/bin/env bash
# Removal: the demo medium plus a shared file installed by the first stage, then removed by
# the uninstall.exe it left behind. Afterwards the files and our registry keys are as they
# were before; a file the user added stays with its folder; a shared file that two
# installations use survives the removal of one.
source "$(dirname "${BASH_SOURCE[0]}")/e2e-lib.sh"
ROOT=$(cd "$E2E_DIR/../.." && pwd)
EXAMPLES=$ROOT/docs/examples
LIBID="{6F1D9A52-3C0B-4E7A-9B21-5A8E0C4D7F13}"
CLSID="{4B7E2C91-5D3A-4F16-9A2E-71C0D8E35A42}"
DORVIK_LIBID="{4B7E2C92-5D3A-4F16-9A2E-71C0D8E35A42}"
UNINSTALL_KEY='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Velmora'
SHARED_KEY='HKLM\Software\Microsoft\Windows\CurrentVersion\SharedDLLs'
CONFIRM="Do you want to remove Velmora and all of its components from your computer?"

reg_exe() { wine_query "$REG_EXE" "$@" 2>/dev/null | tr -d '\r'; }

# our_keys: every key the product writes, exported as the programs see the registry, and its
# values under SharedDLLs (a key of the system's, which may stay behind empty).
our_keys() {
    local key out=$SCRATCH/export.reg
    reg_exe query "$SHARED_KEY" | grep -i 'velshared' || echo "no SharedDLLs count"
    for key in 'HKCR\DORVIK.DDEINTFC' "HKCR\\CLSID\\$CLSID" "HKCR\\TypeLib\\$LIBID" "HKCR\\TypeLib\\$DORVIK_LIBID" \
        "$UNINSTALL_KEY"; do
        rm -f "$out"
        if wine_query "$REG_EXE" export "$key" "$(winpath "$out")" /y >/dev/null 2>&1; then
            iconv -f UTF-16LE -t UTF-8 "$out" | tr -d '\r' | sed '1s/^\xEF\xBB\xBF//' | grep -v '^Windows Registry Editor'
        else
            echo "absent: $key"
        fi
    done
}

# tree: the files of C:\ that an installation may touch (the Windows folder only through the
# program's system directory), without the ones Wine itself keeps changing.
tree() {
    (cd "$DRIVE_C" && find . -path ./windows -prune -o -path ./users -prune -o -print | sort)
    (cd "$PROGRAM_SYSDIR" && ls -A | sort)
}

# demo_medium NAME: the installer guide's lists (the demo files plus a shared file) with
# the real dorvik.exe.
demo_medium() {
    local m
    m=$(medium "$1")
    cp "$EXAMPLES/fileList.txt" "$EXAMPLES/regList.txt" "$BIN/dorvik.exe" "$m/"
    cp "$FIXTURES/v1/sample.dll" "$m/velmora.dll"
    cp "$FIXTURES/sample.tlb" "$m/velmora.tlb"
    mkdir -p "$m/system"
    cp "$FIXTURES/v1/sample.dll" "$m/system/velshared.dll"
    standin "$m/Setup.exe"
    printf '%s\n' "$m"
}

# uninstall_steps DIR REPORT [EXITCODE]: uninstall.exe from DIR, confirmed, ending with REPORT.
uninstall_steps() {
    printf '%s\n' "start \"$1\\uninstall.exe\"" "box uninstall" "expect-box-text $CONFIRM" "expect-buttons Yes,No" \
        "expect-icon question" "shot confirm.bmp" "press Yes" "box uninstall" "expect-box-text $2" "expect-buttons OK" \
        "press OK" "exit-code ${3:-0}"
}

# gone PATH: waits for what uninstall.exe's finishing copy removes after it has ended.
wait_gone() {
    local i
    for ((i = 0; i < 100; i++)); do
        [[ -e $1 ]] || return 0
        sleep 0.1
    done
    return 1
}

shared_count() { reg_exe query "$SHARED_KEY" /v "$1" | sed -n 's/^ *.* REG_DWORD *//p'; }

# --- Install the demo medium and a shared file, then remove it: everything as before.
M=$(demo_medium demo)
keys_before=$(our_keys)
tree_before=$(tree)
install_into "$M" 'c:\Program Files\Velmora\'
INST="$DRIVE_C/Program Files/Velmora"
SHARED_WIN="C:\\windows\\system32\\velshared.dll"
expect_eq "$(ls -A "$INST" | tr '\n' ' ')" \
    "License.txt Setup.txt dorvik.exe install.log uninstall.exe velmora.dll velmora.tlb " "installed"
expect_eq "$(tr -d '\r' <"$INST/install.log" | tail -n +2)" "directory	c:\\Program Files\\Velmora\\
file	c:\\Program Files\\Velmora\\velmora.dll
file	c:\\Program Files\\Velmora\\velmora.tlb
file	c:\\Program Files\\Velmora\\dorvik.exe
shared	$SHARED_WIN
typelib	c:\\Program Files\\Velmora\\\\velmora.tlb
server	c:\\Program Files\\Velmora\\\\dorvik.exe" "the installation record"
expect_eq "$(shared_count "$SHARED_WIN")" "0x1" "SharedDLLs count of the shared file"
entry=$(reg_exe query "$UNINSTALL_KEY")
for value in 'DisplayName    REG_SZ    Velmora' 'DisplayVersion    REG_SZ    1.0.0.1' 'Publisher    REG_SZ    Velmora' \
    'InstallLocation    REG_SZ    c:\Program Files\Velmora\' \
    'UninstallString    REG_SZ    "c:\Program Files\Velmora\uninstall.exe"' \
    'DisplayIcon    REG_SZ    c:\Program Files\Velmora\uninstall.exe' 'NoModify    REG_DWORD    0x1' \
    'NoRepair    REG_DWORD    0x1'; do
    grep -qF "    $value" <<<"$entry" || fail "Add or Remove Programs entry lacks '$value': $entry"
done
size=$(sed -n 's/^ *EstimatedSize *REG_DWORD *//p' <<<"$entry")
((size > 0)) || fail "EstimatedSize '$size'"
[[ -n $(typelib_path "$LIBID" 1.0) ]] || fail "velmora.tlb not registered"
[[ -n $(reg_exe query 'HKCR\DORVIK.DDEINTFC\CLSID' /ve) ]] || fail "dorvik not registered"

drive uninstall <<STEPS
$(uninstall_steps 'c:\Program Files\Velmora' "Velmora was removed from your computer.")
STEPS
wait_gone "$INST" || fail "the installation directory is still there: $(ls -A "$INST")"
# The finishing copy in the temporary folder goes too, once it has ended.
for ((i = 0; i < 50; i++)); do
    leftover=$(find "$DRIVE_C/users" -iname 'vel*.tmp' 2>/dev/null)
    [[ -z $leftover ]] && break
    sleep 0.1
done
expect_eq "$leftover" "" "the finishing copy of uninstall.exe"
expect_eq "$(tree)" "$tree_before" "files after the removal"
expect_eq "$(our_keys)" "$keys_before" "our registry keys after the removal"
if [[ -n ${SCREENSHOTS:-} && -f $SCRATCH/confirm.bmp ]]; then
    mkdir -p "$SCREENSHOTS" && bmp_to_png "$SCRATCH/confirm.bmp" "$SCREENSHOTS/uninstall-confirm.png"
fi

# --- Run a second time (a copy left in the folder): it says that nothing is installed.
# No is the other answer: nothing happens. A file the user added stays, and its folder too.
M=$(demo_medium user)
install_into "$M" 'c:\Mine'
echo "my notes" >"$DRIVE_C/Mine/notes.txt"
drive refuse <<STEPS
start "c:\\Mine\\uninstall.exe"
box uninstall
press No
exit-code 0
STEPS
expect_file "$DRIVE_C/Mine/velmora.dll"
expect_file "$DRIVE_C/Mine/uninstall.exe"
drive user-file <<STEPS
$(uninstall_steps 'c:\Mine' "Velmora was removed from your computer.{LF}{LF}The folder c:\\Mine was kept: it holds files that Velmora did not install.")
STEPS
wait_gone "$DRIVE_C/Mine/uninstall.exe" || fail "uninstall.exe did not delete itself"
expect_eq "$(ls -A "$DRIVE_C/Mine")" "notes.txt" "the user's file is all that is left"
cp "$UNINSTALL_EXE" "$DRIVE_C/Mine/uninstall.exe"
drive second-run <<STEPS
start "c:\\Mine\\uninstall.exe"
box uninstall
expect-box-text Velmora is not installed in c:\\Mine: there is nothing to remove.
expect-buttons OK
press OK
exit-code 2
STEPS
# A record with a line that is not a record line: nothing is touched.
printf '%s\r\n' "# Velmora installation record" "bogus	c:\\Mine\\notes.txt" >"$DRIVE_C/Mine/install.log"
drive damaged <<STEPS
start "c:\\Mine\\uninstall.exe"
box uninstall
expect-box-text The installation record c:\\Mine\\install.log is damaged at line 2. Nothing was removed.
press OK
exit-code 2
STEPS
expect_eq "$(ls -A "$DRIVE_C/Mine" | tr '\n' ' ')" "install.log notes.txt uninstall.exe " "nothing removed after a damaged record"

# --- Two installations share one file: removing one leaves it, and the entry, to the other.
M=$(demo_medium two)
install_into "$M" 'c:\One'
install_into "$M" 'c:\Two'
expect_eq "$(shared_count "$SHARED_WIN")" "0x2" "the shared file counted twice"
drive remove-one <<STEPS
$(uninstall_steps 'c:\One' "Velmora was removed from your computer.")
STEPS
wait_gone "$DRIVE_C/One" || fail "c:\\One is still there"
expect_file "$PROGRAM_SYSDIR/velshared.dll"
expect_eq "$(shared_count "$SHARED_WIN")" "0x1" "one use left"
expect_eq "$(reg_exe query "$UNINSTALL_KEY" /v InstallLocation | sed -n 's/^ *InstallLocation *REG_SZ *//p')" 'c:\Two' \
    "the entry stays with the other installation"
# So do the registrations, which the second installation made from its own files.
expect_eq "$(typelib_path "$LIBID" 1.0)" 'c:\Two\velmora.tlb' "the type library stays registered from c:\Two"
reg_exe query "HKCR\\CLSID\\$CLSID\\LocalServer32" /ve | grep -qi 'c:\\Two\\dorvik.exe' ||
    fail "dorvik's registration from c:\\Two: $(reg_exe query "HKCR\\CLSID\\$CLSID\\LocalServer32" /ve)"
drive remove-two <<STEPS
$(uninstall_steps 'c:\Two' "Velmora was removed from your computer.")
STEPS
wait_gone "$DRIVE_C/Two" || fail "c:\\Two is still there"
expect_missing "$PROGRAM_SYSDIR/velshared.dll"
expect_eq "$(shared_count "$SHARED_WIN")" "" "the count goes with the last use"
expect_eq "$(our_keys)" "$keys_before" "our registry keys after both removals"

finish
