#!/usr/bin/env bash
# First stage: the installation directory dialog and what its OK does, from the defaults to
# each way the work stops.
source "$(dirname "${BASH_SOURCE[0]}")/e2e-lib.sh"

SAMPLE_LIBID="{6F1D9A52-3C0B-4E7A-9B21-5A8E0C4D7F13}"
SECOND_LIBID="{9C3E5A17-0B2D-4F68-A1C4-7E9D2B5F8A06}"
NOTICE="You will be asked to reenter the Installation Directory. If you changed the default values earlier, please enter the same directory name again. Microsoft Agent Components and the Speech Engines will also be installed."
LOAD_FAILED="$(error_text 1 "{TAB}The type library or DLL could not be loaded.")"

# product_medium NAME: a medium with the sample files, the stand-ins and no lists yet.
product_medium() {
    local m
    m=$(medium "$1")
    cp "$FIXTURES/v1/sample.dll" "$FIXTURES/sample.tlb" "$FIXTURES/second.tlb" "$m/"
    standin "$m/dorvik.exe"
    standin "$m/Setup.exe"
    printf '%s\n' "$m"
}

# --- The defaults: OK at once installs into c:\Program Files\Velmora\ (trailing backslash
# kept, so every path built from it holds a doubled one), registers both libraries of a list
# whose last line has no terminator, runs dorvik from there, shows the notice and starts
# Setup.exe from the start directory. The default setup dialog comes between.
M=$(product_medium defaults)
printf ' @sample.dll@0@sample.dll@ @\r\n @sample.tlb@0@sample.tlb@ @\n @second.tlb@0@second.tlb@ @\n @dorvik.exe@0@dorvik.exe@ @\n' >"$M/fileList.txt"
printf 'sample.tlb\nsecond.tlb' >"$M/regList.txt"
drive defaults <<STEPS
$(first_stage_steps "$M")
expect-text self Install Velmora
expect-text 1001 c:\\Program Files\\Velmora\\
expect-text 1000 Directory will be created if it does not exist
expect-buttons OK,Cancel
expect-focus 1
expect-enabled 1000 0
expect-style 1000 0x00810000 0x00000000
expect-exstyle 1000 0x00000200 0x00000000
expect-style 1001 0x00010080 0x00010080
expect-exstyle 1001 0x00000200 0x00000200
expect-exstyle self 0x00040000 0x00040000
shot installdir.bmp
press OK
window Velmora Default Setup
press OK
$(ok_box_steps "$NOTICE")
exit-code 0
STEPS
INST="$DRIVE_C/Program Files/Velmora"
for f in sample.dll sample.tlb second.tlb dorvik.exe; do
    cmp -s "$M/$f" "$INST/$f" || fail "$f not installed whole"
done
expect_file "$INST/License.txt"
expect_file "$INST/Setup.txt"
expect_eq "$(cat "$INST/dorvik.exe.log" 2>/dev/null)" "ran|" "dorvik.exe run from the installation directory"
wait_for_file "$M/Setup.exe.log" || fail "Setup.exe not started"
expect_eq "$(cat "$M/Setup.exe.log" 2>/dev/null)" "ran|" "Setup.exe started from the start directory"
expect_eq "$(typelib_path "$SAMPLE_LIBID" 1.0)" 'c:\Program Files\Velmora\\sample.tlb' "sample.tlb registered"
expect_eq "$(typelib_path "$SECOND_LIBID" 2.1)" 'c:\Program Files\Velmora\\second.tlb' "second.tlb registered"
if [[ -n ${SCREENSHOTS:-} && -f $SCRATCH/installdir.bmp ]]; then
    mkdir -p "$SCREENSHOTS" && bmp_to_png "$SCRATCH/installdir.bmp" "$SCREENSHOTS/installdir.png"
fi

# --- Cancel, Escape and the close box create nothing and start nothing.
for how in "press Cancel" "key ESCAPE" "close"; do
    M=$(product_medium "cancel-${how%% *}")
    printf ' @sample.dll@0@sample.dll@ @\n' >"$M/fileList.txt"
    drive "cancel-${how%% *}" <<STEPS
$(first_stage_steps "$M")
set 1001 c:\\cancelled
$how
exit-code 0
STEPS
    expect_missing "$DRIVE_C/cancelled"
    expect_missing "$M/Setup.exe.log"
done

# --- A directory longer than 259 characters is refused and the dialog stays for a correction.
M=$(product_medium too-long)
LONG="c:\\$(printf 'd%.0s' {1..258})"
drive too-long <<STEPS
$(first_stage_steps "$M")
set 1001 $LONG
press OK
$(ok_box_steps "The installation directory is longer than 259 characters. Please enter a shorter one.")
window Install Velmora
expect-text 1001 $LONG
set 1001 c:\\corrected
press OK
window Velmora Default Setup
press Cancel
$(ok_box_steps "Installation Failed")
exit-code 0
STEPS
expect_eq "$(ls -A "$DRIVE_C/corrected")" "License.txt"$'\n'"install.log" "Cancel in the default setup: no Setup.txt, the stage goes on"
expect_missing "$M/Setup.exe.log"

# --- A parent that does not exist: nothing installed, nothing run.
M=$(product_medium no-parent)
printf ' @sample.dll@0@sample.dll@ @\n @dorvik.exe@0@dorvik.exe@ @\n' >"$M/fileList.txt"
drive no-parent <<STEPS
$(first_stage_steps "$M")
set 1001 c:\\no\\such\\Velmora
press OK
$(ok_box_steps "Unable to create directory")
exit-code 0
STEPS
expect_missing "$DRIVE_C/no"
expect_missing "$M/Setup.exe.log"

# --- No fileList.txt: the directory and License.txt are made and regList.txt is still read;
# its library is not there, so LoadTypeLib's text stops the work.
M=$(product_medium no-filelist)
printf 'sample.tlb\n' >"$M/regList.txt"
drive no-filelist <<STEPS
$(first_stage_steps "$M")
set 1001 c:\\nofilelist
press OK
$(ok_box_steps "$LOAD_FAILED")
exit-code 0
STEPS
expect_eq "$(ls -A "$DRIVE_C/nofilelist")" "License.txt"$'\n'"install.log" "installation directory without fileList.txt"
expect_missing "$M/Setup.exe.log"

# --- A list entry that is not a type library stops the registration after the ones before it.
M=$(product_medium not-a-tlb)
printf ' @sample.tlb@0@first.tlb@ @\n @sample.dll@0@notatlb.tlb@ @\n @second.tlb@0@last.tlb@ @\n' >"$M/fileList.txt"
printf 'first.tlb\nnotatlb.tlb\nlast.tlb\n' >"$M/regList.txt"
"$WINE" reg delete "HKCR\\TypeLib\\$SAMPLE_LIBID" /f >/dev/null 2>&1 </dev/null || true
"$WINE" reg delete "HKCR\\TypeLib\\$SECOND_LIBID" /f >/dev/null 2>&1 </dev/null || true
drive not-a-tlb <<STEPS
$(first_stage_steps "$M")
set 1001 c:\\notatlb
press OK
$(ok_box_steps "$LOAD_FAILED")
exit-code 0
STEPS
expect_eq "$(typelib_path "$SAMPLE_LIBID" 1.0)" 'c:\notatlb\first.tlb' "the library before the bad entry"
expect_eq "$(typelib_path "$SECOND_LIBID" 2.1)" "" "the library after the bad entry"
expect_missing "$DRIVE_C/notatlb/dorvik.exe.log"

# --- Empty lists and no dorvik.exe: "Installation Failed", and Setup.exe is not started.
M=$(product_medium no-dorvik)
: >"$M/fileList.txt"
: >"$M/regList.txt"
drive no-dorvik <<STEPS
$(first_stage_steps "$M")
set 1001 c:\\nodorvik
press OK
window Velmora Default Setup
press OK
$(ok_box_steps "Installation Failed")
exit-code 0
STEPS
expect_eq "$(ls -A "$DRIVE_C/nodorvik")" "License.txt"$'\n'"Setup.txt"$'\n'"install.log" "installation directory with empty lists"
# Setup.txt of the typed directory with the defaults, byte for byte but for the date's fields.
expect_eq "$(tr '\r' '~' <"$DRIVE_C/nodorvik/Setup.txt" | sed -E '1s/^(#Setup.txt~#)[A-Z][a-z]{2} [A-Z][a-z]{2} [0-3][0-9] [0-2][0-9]:[0-5][0-9]:[0-6][0-9] [A-Z]{3} [0-9]{4}~/\1DATE~/')" \
'#Setup.txt~#DATE~CHARACTERPATH=c:\\windows\\msagent\\chars\\
MSOFFICEPATH=c:\\msoffice\\
INSTALLDIR=c:\\nodorvik\\
HARDDISKDRIVE=C:
DISKDRIVE=A:
CDROMDRIVE=D:
WINDIR=C:\\windows\\
LOGOIMAGEPATH=c:\\nodorvik\\velmora.gif
FILEPROTOCOL=file:\\
CTLAGENTFILENAME=Merlin.acs
WINAGENTFILENAME=Genie.acs
NETAGENTFILENAME=Robby.acs
IMAGEAGENTFILENAME=Peedy.acs' "Setup.txt after a first stage into c:\\nodorvik"
sleep 1
expect_missing "$M/Setup.exe.log"

# --- A License.txt that cannot be replaced (read-only): the fatal box; no list is read, no
# setup dialog, no Setup.exe.
M=$(product_medium ro-license)
printf ' @sample.dll@0@sample.dll@ @\n @dorvik.exe@0@dorvik.exe@ @\n' >"$M/fileList.txt"
mkdir -p "$DRIVE_C/rolicense"
printf 'old agreement' >"$DRIVE_C/rolicense/License.txt"
chmod a-w "$DRIVE_C/rolicense/License.txt"
drive ro-license <<STEPS
$(first_stage_steps "$M")
set 1001 c:\\rolicense
press OK
$LICENSE_OPEN_FAILED_STEPS
exit-code 0
STEPS
expect_eq "$(ls -A "$DRIVE_C/rolicense")" "License.txt" "installation directory after the licence failure"
expect_eq "$(cat "$DRIVE_C/rolicense/License.txt")" "old agreement" "the read-only License.txt"
expect_missing "$M/Setup.exe.log"

# --- A Setup.txt that cannot be replaced: the default setup dialog's fatal box; dorvik.exe is
# not run and Setup.exe not started.
M=$(product_medium ro-setup)
printf ' @dorvik.exe@0@dorvik.exe@ @\n' >"$M/fileList.txt"
mkdir -p "$DRIVE_C/rosetup"
printf 'old settings' >"$DRIVE_C/rosetup/Setup.txt"
chmod a-w "$DRIVE_C/rosetup/Setup.txt"
drive ro-setup <<STEPS
$(first_stage_steps "$M")
set 1001 c:\\rosetup
press OK
window Velmora Default Setup
press OK
$(ok_box_steps "$(error_text 1 "Unable to Open Setup file")")
exit-code 0
STEPS
expect_eq "$(cat "$DRIVE_C/rosetup/Setup.txt")" "old settings" "the read-only Setup.txt"
expect_file "$DRIVE_C/rosetup/dorvik.exe"
expect_missing "$DRIVE_C/rosetup/dorvik.exe.log"
expect_missing "$M/Setup.exe.log"

# --- Directories of 250 and 259 characters, too long for the system's temporary names: both
# files are written whole. (Components of 60 characters: Unix file systems hold at most 255.)
for length in 250 259; do
    M=$(product_medium "long-$length")
    : >"$M/fileList.txt"
    DIR='c:'
    while ((${#DIR} + 61 < length)); do DIR+="\\$(printf 'L%.0s' {1..60})"; done
    DIR+="\\$(printf 'L%.0s' $(seq $((length - ${#DIR} - 1))))"
    LONG_DIR=$DRIVE_C/$(tr '\\' / <<<"${DIR#c:\\}")
    mkdir -p "$(dirname "$LONG_DIR")"
    drive "long-$length" <<STEPS
$(first_stage_steps "$M")
set 1001 $DIR
press OK
window Velmora Default Setup
press OK
$(ok_box_steps "Installation Failed")
exit-code 0
STEPS
    expect_eq "${#DIR}" "$length" "length of the directory"
    cmp -s "$LONG_DIR/License.txt" "$DRIVE_C/nodorvik/License.txt" || fail "License.txt in a directory of $length characters"
    expect_eq "$(grep -c 'INSTALLDIR=c:' "$LONG_DIR/Setup.txt" 2>/dev/null)" 1 "Setup.txt in a directory of $length characters"
    expect_eq "$(ls -A "$LONG_DIR" | tr '\n' ' ')" "License.txt Setup.txt install.log " "nothing else in the directory of $length characters"
done

finish
