#!/usr/bin/env bash
# Command lines that are not an installation: the framework's automation switches end the
# installer at once; an over-long directory is refused; quotes stay part of the directory.
source "$(dirname "${BASH_SOURCE[0]}")/e2e-lib.sh"

M=$(medium medium)
MW=$(winpath "$M")
TITLE="Velmora License Agreement"

for switch in /Embedding -Embedding /automation -AUTOMATION; do
    drive "switch${switch//\//_}" <<STEPS
cd $MW
start install.exe $switch
exit-code 0
absent $TITLE 1
STEPS
done

LONG="Z:\\$(printf 'd%.0s' $(seq 1 297))"
drive too-long <<STEPS
cd $MW
start install.exe $LONG
box install
expect-box-text The installation directory given on the command line is longer than 259 characters. Nothing was installed.
expect-buttons OK
expect-icon exclamation
press OK
exit-code 0
STEPS

# Quotes are kept: the directory named '"Z:\...\inst"' is no usable path, so the
# licence file cannot be opened, and the real folder receives nothing.
INST=$SCRATCH/quoted
mkdir -p "$INST"
standin "$INST/dorvik.exe"
drive quoted <<STEPS
cd $MW
start install.exe "$(winpath "$INST")"
window $TITLE
press OK
$LICENSE_OPEN_FAILED_STEPS
exit-code 0
STEPS
expect_eq "$(ls -A "$INST")" "dorvik.exe" "quoted directory"

finish
