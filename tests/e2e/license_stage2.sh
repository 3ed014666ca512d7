#!/usr/bin/env bash
# Second stage (the command line is the installation directory): the licence dialog,
# License.txt, running dorvik.exe, and the fatal error box.
source "$(dirname "${BASH_SOURCE[0]}")/e2e-lib.sh"

M=$(medium medium)
MW=$(winpath "$M")
TITLE="Velmora License Agreement"
# After dorvik the default setup dialog follows; its own scenarios are in default_setup.sh.
SETUP_CANCEL_STEPS='window Velmora Default Setup
press Cancel'

# Cancel, Escape and the close box: nothing written, dorvik not run, nothing else shown.
for how in "press Cancel" "key ESCAPE" "close"; do
    INST=$SCRATCH/cancel-${how%% *}
    mkdir -p "$INST"
    standin "$INST/dorvik.exe"
    drive "stage2-${how%% *}" <<STEPS
cd $MW
start install.exe $(winpath "$INST")
window $TITLE
$how
exit-code 0
STEPS
    expect_eq "$(ls -A "$INST")" "dorvik.exe" "installation directory after '$how'"
done

# OK: License.txt replaces an older, longer file; dorvik.exe runs once with no arguments.
INST=$SCRATCH/ok
mkdir -p "$INST"
standin "$INST/dorvik.exe"
head -c 5000 /dev/zero | tr '\0' 'o' >"$INST/License.txt"
drive stage2-ok <<STEPS
cd $MW
start install.exe $(winpath "$INST")
window $TITLE
expect-buttons OK,Cancel
expect-style 1008 0x0804 0x0804
expect-style 1009 0x0804 0x0804
expect-style 1010 0x0804 0x0804
expect-style 1 0x000F 0x0001
$LICENSE_STEPS
shot license.bmp
press OK
$SETUP_CANCEL_STEPS
exit-code 0
STEPS
expect_eq "$(cat "$INST/dorvik.exe.log")" "ran|" "dorvik run"
cat "$SCRATCH/notice.txt" "$SCRATCH/terms.txt" "$SCRATCH/copyright.txt" >"$SCRATCH/expected-license"
expect_eq "$(stat -c %s "$INST/License.txt")" "$(stat -c %s "$SCRATCH/expected-license")" "License.txt size"
cmp -s "$INST/License.txt" "$SCRATCH/expected-license" || fail "License.txt differs from the dialog's texts"
grep -q $'\xA0' "$INST/License.txt" || fail "License.txt lost its non-breaking spaces"
expect_eq "$(ls -A "$INST")" "License.txt"$'\n'"dorvik.exe"$'\n'"dorvik.exe.log" "installation directory after OK"
if [[ -n ${SCREENSHOTS:-} && -f $SCRATCH/license.bmp ]]; then
    mkdir -p "$SCREENSHOTS" && bmp_to_png "$SCRATCH/license.bmp" "$SCREENSHOTS/license.png"
fi

# Enter in the dialog is OK; a trailing backslash gives the same License.txt and a doubled
# backslash before dorvik.exe, which the system accepts.
INST=$SCRATCH/trailing
mkdir -p "$INST"
standin "$INST/dorvik.exe"
drive stage2-enter <<STEPS
cd $MW
start install.exe $(winpath "$INST")\\
window $TITLE
key RETURN
$SETUP_CANCEL_STEPS
exit-code 0
STEPS
cmp -s "$INST/License.txt" "$SCRATCH/expected-license" || fail "License.txt with a trailing backslash"
expect_eq "$(cat "$INST/dorvik.exe.log" 2>/dev/null)" "ran|" "dorvik run from a directory ending in a backslash"

# No dorvik.exe, or one that ends with -1: the installer ends silently. Any other exit code
# goes on to the default setup dialog.
for code in none -1 3; do
    INST=$SCRATCH/dorvik-$code
    mkdir -p "$INST"
    [[ $code == none ]] || standin "$INST/dorvik.exe" "$code"
    next="absent Velmora Default Setup 1"
    [[ $code != 3 ]] || next=$SETUP_CANCEL_STEPS
    drive "stage2-dorvik-$code" <<STEPS
cd $MW
start install.exe $(winpath "$INST")
window $TITLE
press OK
$next
exit-code 0
absent install 1
STEPS
    expect_file "$INST/License.txt"
done

# The installation directory does not exist: the fatal error box, OK only, then the end.
MISSING=$SCRATCH/no-such-dir
drive stage2-missing-dir <<STEPS
cd $MW
start install.exe $(winpath "$MISSING")
window $TITLE
press OK
$LICENSE_OPEN_FAILED_STEPS
exit-code 0
STEPS
expect_missing "$MISSING"

# A read-only License.txt is refused and left as it was.
INST=$SCRATCH/readonly
mkdir -p "$INST"
standin "$INST/dorvik.exe"
echo "old agreement" >"$INST/License.txt"
chmod a-w "$INST/License.txt"
drive stage2-readonly <<STEPS
cd $MW
start install.exe $(winpath "$INST")
window $TITLE
press OK
$LICENSE_OPEN_FAILED_STEPS
exit-code 0
STEPS
expect_eq "$(cat "$INST/License.txt")" "old agreement" "read-only License.txt"
expect_missing "$INST/dorvik.exe.log"
expect_eq "$(ls -A "$INST")" "License.txt"$'\n'"dorvik.exe" "no temporary file left"

finish
