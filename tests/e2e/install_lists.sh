#!/usr/bin/env bash
# fileList.txt against the real version-installation service: a fresh file, an older file over
# a newer one, a read-only destination answered Yes then No, a shared file already present
# elsewhere, and a missing source that stops the list.
source "$(dirname "${BASH_SOURCE[0]}")/e2e-lib.sh"

M=$(medium versions)
cp "$FIXTURES/v1/sample.dll" "$M/fresh.dll"
cp "$FIXTURES/v1/sample.dll" "$M/sample.dll"
cp "$FIXTURES/v1/sample.dll" "$M/ro.dll"
cp "$FIXTURES/v1/sample.dll" "$M/after.dll"
cp "$FIXTURES/v1/sample.dll" "$M/velshared.dll"
standin "$M/Setup.exe"
INST=$DRIVE_C/versions
mkdir -p "$INST"
# A shared file already present in the application directory: the service answers
# VFF_CURNEDEST (it belongs in the system directory); that is no error, and the unforced
# installation keeps the old copy.
cp "$FIXTURES/v1/sample.dll" "$INST/velshared.dll"
cp "$FIXTURES/v2/sample.dll" "$INST/sample.dll"   # newer than the medium's
cp "$FIXTURES/v2/sample.dll" "$INST/ro.dll"
chmod a-w "$INST/ro.dll"
cat >"$M/fileList.txt" <<'LIST'
 @fresh.dll@0@fresh.dll@ @
 @sample.dll@0@sample.dll@ @
 @ro.dll@0@ro.dll@ @
 @velshared.dll@1@velshared.dll@ @
 @missing.dll@0@missing.dll@ @
 @after.dll@0@after.dll@ @
LIST
printf 'never.tlb\n' >"$M/regList.txt"

WRITEPROT="$(error_text 2 "The preexisting file is write protected.")"
drive versions <<STEPS
$(first_stage_steps "$M")
set 1001 c:\\versions
press OK
box install
expect-box-text $WRITEPROT
expect-buttons Yes,No
expect-icon exclamation
shot question.bmp
press Yes
box install
expect-box-text $WRITEPROT
press No
$(ok_box_steps "$(error_text 1 "VIF_CANNOTREADSRC{TAB}The function cannot read the source file. This could mean that the path was not specified properly.")")
exit-code 0
STEPS
cmp -s "$M/fresh.dll" "$INST/fresh.dll" || fail "fresh.dll not installed"
cmp -s "$M/sample.dll" "$INST/sample.dll" || fail "the newer sample.dll was not replaced by the forced retry"
cmp -s "$FIXTURES/v2/sample.dll" "$INST/ro.dll" || fail "the read-only ro.dll changed"
cmp -s "$M/velshared.dll" "$PROGRAM_SYSDIR/velshared.dll" || fail "the shared file is not in the system directory ($ARCH)"
expect_file "$INST/velshared.dll"
expect_missing "$INST/missing.dll"
expect_missing "$INST/after.dll"
expect_missing "$M/Setup.exe.log"
if [[ -n ${SCREENSHOTS:-} && -f $SCRATCH/question.bmp ]]; then
    mkdir -p "$SCREENSHOTS" && bmp_to_png "$SCRATCH/question.bmp" "$SCREENSHOTS/question.png"
fi

# A destination drive that runs out of space: the service's copy fails with VIF_OUTOFSPACE,
# severity 0, so the forced installation is followed by Abort, Retry, Ignore without an icon;
# Retry installs forced again and asks again, Ignore goes on with the list. The drive is full
# for the installer alone: its files may not grow past 64 KB (SIGXFSZ ignored, so a write
# past the limit fails instead of ending the program).
M=$(medium out-of-space)
cp "$FIXTURES/v1/sample.dll" "$M/big.dll"
printf 'small\n' >"$M/small.txt"
printf ' @big.dll@0@big.dll@ @\n @small.txt@0@small.txt@ @\n' >"$M/fileList.txt"
OUTOFSPACE="$(error_text 0 "VIF_OUTOFSPACE{TAB}The function cannot create the temporary file due to insufficient disk space on the destination drive.")"
ulimit -S -f 64
trap '' XFSZ
drive out-of-space <<STEPS
$(first_stage_steps "$M")
set 1001 c:\\outofspace
press OK
box install
expect-box-text $OUTOFSPACE
expect-buttons Abort,Retry,Ignore
expect-icon none
press Retry
box install
expect-box-text $OUTOFSPACE
press Ignore
window Velmora Default Setup
press Cancel
$(ok_box_steps "Installation Failed")
exit-code 0
STEPS
trap - XFSZ
ulimit -S -f unlimited
expect_missing "$DRIVE_C/outofspace/big.dll"
cmp -s "$M/small.txt" "$DRIVE_C/outofspace/small.txt" || fail "the list did not go on after Ignore"

# A field too long for the service is refused, naming the entry, and the list stops there.
M=$(medium too-long-field)
cp "$FIXTURES/v1/sample.dll" "$M/"
printf ' @sample.dll@0@sample.dll@ @\n @%s@0@x.dll@ @\n @sample.dll@0@later.dll@ @\n' "$(printf 'n%.0s' {1..300})" >"$M/fileList.txt"
drive too-long-field <<STEPS
$(first_stage_steps "$M")
set 1001 c:\\toolong
press OK
$(ok_box_steps "$(error_text 1 "The source file name is longer than 259 characters: \"$(printf 'n%.0s' {1..80})...\"")")
exit-code 0
STEPS
expect_file "$DRIVE_C/toolong/sample.dll"
expect_missing "$DRIVE_C/toolong/later.dll"

finish
