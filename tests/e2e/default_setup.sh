#!/usr/bin/env bash
# The default setup dialog in the second stage and the Setup.txt it writes: defaults, typed
# values, Enter, Cancel, a rewrite, the date line's zone, and the fatal errors.
source "$(dirname "${BASH_SOURCE[0]}")/e2e-lib.sh"
unset TZ  # the usual case: the date line names CST whatever the machine's zone

M=$(medium medium)
MW=$(winpath "$M")
TITLE="Velmora Default Setup"

# stage2_steps DIR [ARGTAIL]: the second stage up to the default setup dialog.
stage2_steps() {
    printf '%s\n' "cd $MW" "start install.exe $(winpath "$1")${2:-}" "window Velmora License Agreement" "press OK" \
        "window $TITLE"
}

# written PATH: a Windows path as Setup.txt holds it, every backslash doubled.
written() { local p; p=$(winpath "$1"); printf '%s' "${p//\\/\\\\}"; }

# date_line FILE: the second header line, without its #.
date_line() { tr '\r' '\n' <"$1" | sed -n '2s/^#//p'; }

# expect_setup FILE CHARDIR OFFICE INSTDIR HDD DISK CDROM CTL WIN NET IMAGE: FILE holds exactly
# these values (in their written form), with the date line it carries.
expect_setup() {
    local file=$1 expected=$SCRATCH/expected-setup
    shift
    printf '#Setup.txt\r#%s\rCHARACTERPATH=%s\nMSOFFICEPATH=%s\nINSTALLDIR=%s\nHARDDISKDRIVE=%s\nDISKDRIVE=%s\nCDROMDRIVE=%s\nWINDIR=%s\nLOGOIMAGEPATH=%s\nFILEPROTOCOL=file:%s\nCTLAGENTFILENAME=%s\nWINAGENTFILENAME=%s\nNETAGENTFILENAME=%s\nIMAGEAGENTFILENAME=%s\n' \
        "$(date_line "$file")" "$1" "$2" "$3\\\\" "$4" "$5" "$6" 'C:\\windows\\' "$3\\\\velmora.gif" '\\' \
        "$7" "$8" "$9" "${10}" >"$expected"
    if ! cmp -s "$file" "$expected"; then
        echo "FAIL (${BASH_SOURCE[1]##*/}:${BASH_LINENO[0]}): $file differs; got, then expected:" >&2
        cat -A "$file" "$expected" >&2 || true
        FAILURES=$((FAILURES + 1))
    fi
}

DATE_RE='^(Sun|Mon|Tue|Wed|Thu|Fri|Sat) (Jan|Feb|Mar|Apr|May|Jun|Jul|Aug|Sep|Oct|Nov|Dec) [0-3][0-9] [0-2][0-9]:[0-5][0-9]:[0-6][0-9] CST [0-9]{4}$'

# --- Cancel, Escape and the close box: an existing Setup.txt stays as it was, nothing is added.
for how in "press Cancel" "key ESCAPE" "close"; do
    INST=$SCRATCH/cancel-${how%% *}
    mkdir -p "$INST"
    standin "$INST/dorvik.exe"
    printf 'old settings\r\n' >"$INST/Setup.txt"
    drive "cancel-${how%% *}" <<STEPS
$(stage2_steps "$INST")
$how
exit-code 0
STEPS
    expect_eq "$(cat -A "$INST/Setup.txt")" 'old settings^M$' "Setup.txt after '$how'"
    expect_eq "$(ls -A "$INST")" "License.txt"$'\n'"Setup.txt"$'\n'"dorvik.exe"$'\n'"dorvik.exe.log" "directory after '$how'"
done

# --- Every field typed, one cleared, the hidden one filled in; Enter in a field is OK.
# Only backslash runs are rewritten: "=", "#", blanks at both ends and bytes above 127 stay.
INST=$SCRATCH/inst
mkdir -p "$INST"
standin "$INST/dorvik.exe"
printf 'old settings, longer than nothing\n' >"$INST/Setup.txt"
drive typed <<STEPS
$(stage2_steps "$INST")
expect-focus 1002
set 1002 d:\\agent\\\\\\chars
set 1004 Ctl=1 #x
set 1011 {SP}Win.acs{SP}
set 1005 R{xE9}by.acs
set 1010 {EMPTY}
set 1003 \\\\server\\office
set 1006 E:
set 1007 B:
set 1008 Z:
set 1009 c:\\java\\typed.zip
key TAB
key TAB
expect-focus 1011
key RETURN
exit-code 0
STEPS
expect_setup "$INST/Setup.txt" 'd:\\agent\\chars\\' '\\server\\office' "$(written "$INST")" E: B: Z: \
    'Ctl=1 #x' ' Win.acs ' $'R\xE9by.acs' ''
[[ $(date_line "$INST/Setup.txt") =~ $DATE_RE ]] || fail "date line: $(date_line "$INST/Setup.txt")"
grep -q 'java' "$INST/Setup.txt" && fail "the hidden Java class library reached Setup.txt"
expect_eq "$(grep -c $'\r$' "$INST/Setup.txt")" 0 "CR LF pairs"
expect_eq "$(ls -A "$INST")" "License.txt"$'\n'"Setup.txt"$'\n'"dorvik.exe"$'\n'"dorvik.exe.log" "no temporary file left"

# --- A second stage rewrites the file; the defaults, with the directory given with a final
# backslash, give the same paths as without one.
drive defaults <<STEPS
$(stage2_steps "$INST" '\')
expect-text self $TITLE
expect-buttons OK,Cancel
expect-text 1002 c:\\windows\\msagent\\chars\\
expect-text 1004 Merlin.acs
expect-text 1011 Genie.acs
expect-text 1005 Robby.acs
expect-text 1010 Peedy.acs
expect-text 1003 c:\\msoffice\\
expect-text 1006 C:
expect-text 1007 A:
expect-text 1008 D:
expect-text 1009 c:\\java\\lib\\classes.zip
expect-style 1009 0x10000000 0x00000000
expect-style 1 0x0000000F 0x00000001
shot setup.bmp
press OK
exit-code 0
STEPS
expect_setup "$INST/Setup.txt" 'c:\\windows\\msagent\\chars\\' 'c:\\msoffice\\' "$(written "$INST")" C: A: D: \
    Merlin.acs Genie.acs Robby.acs Peedy.acs
grep -q 'java' "$INST/Setup.txt" && fail "the hidden Java class library reached Setup.txt"
expect_eq "$(cat "$INST/dorvik.exe.log")" "ran|"$'\n'"ran|" "dorvik run once per stage"
if [[ -n ${SCREENSHOTS:-} && -f $SCRATCH/setup.bmp ]]; then
    mkdir -p "$SCREENSHOTS" && bmp_to_png "$SCRATCH/setup.bmp" "$SCREENSHOTS/default-setup.png"
fi

# --- With TZ set, the runtime names the zone from it: standard or daylight letters as the
# local time has them now.
INST=$SCRATCH/tz
mkdir -p "$INST"
standin "$INST/dorvik.exe"
ZONE=$(TZ=EST5EDT date +%Z)
TZ=EST5EDT drive tz <<STEPS
$(stage2_steps "$INST")
press OK
exit-code 0
STEPS
[[ $(date_line "$INST/Setup.txt") == *" $ZONE "[0-9][0-9][0-9][0-9] ]] ||
    fail "date line with TZ=EST5EDT: $(date_line "$INST/Setup.txt"), expected zone $ZONE"

# --- Too much for the product's reader: refused whole, the old file kept.
INST=$SCRATCH/too-long
mkdir -p "$INST"
standin "$INST/dorvik.exe"
printf 'old settings\n' >"$INST/Setup.txt"
drive too-long <<STEPS
$(stage2_steps "$INST")
set 1004 $(head -c 5000 /dev/zero | tr '\0' 'x')
press OK
$(ok_box_steps "$(error_text 1 "Unable to write Setup file")")
exit-code 0
STEPS
expect_eq "$(cat "$INST/Setup.txt")" "old settings" "Setup.txt after a refused write"
expect_eq "$(ls -A "$INST")" "License.txt"$'\n'"Setup.txt"$'\n'"dorvik.exe"$'\n'"dorvik.exe.log" "no temporary file left"

# --- The installation directory is gone when OK is pressed: the fatal box, then the end.
# The licence has already been written there, so the directory is removed while the
# dialog is open; the installer keeps running between the two scripts.
INST=$SCRATCH/vanishing
mkdir -p "$INST"
standin "$INST/dorvik.exe"
drive vanishing-open <<STEPS
$(stage2_steps "$INST")
STEPS
rm -rf -- "$INST"
drive vanishing-ok <<STEPS
window $TITLE
press OK
$(ok_box_steps "$(error_text 1 "Unable to Open Setup file")")
gone $TITLE
gone install
absent install 1
STEPS
expect_missing "$INST"

finish
