#!/usr/bin/env bash
# First stage (empty command line): the licence dialog comes first; until the installation
# directory is known nothing is written, neither in the start directory nor at a drive root.
# After OK the installation directory dialog follows; Cancel there ends the program.
source "$(dirname "${BASH_SOURCE[0]}")/e2e-lib.sh"

TITLE="Velmora License Agreement"
DRIVE_C=$WINEPREFIX/drive_c

for answer in Cancel OK; do
    M=$(medium "stage1-$answer")
    then_steps=""
    [[ $answer == OK ]] && then_steps=$'window Install Velmora\npress Cancel'
    standin "$M/Setup.exe"
    before_c=$(ls -A "$DRIVE_C")
    drive "stage1-$answer" <<STEPS
cd $(winpath "$M")
start install.exe
window $TITLE
expect-text 0xFFFF TERMS AND CONDITIONS
press $answer
$then_steps
exit-code 0
absent install 1
STEPS
    expect_eq "$(ls -A "$M")" "Setup.exe"$'\n'"install.exe"$'\n'"uninstall.exe" "start directory after $answer"
    expect_eq "$(ls -A "$DRIVE_C")" "$before_c" "C:\\ after $answer"
    expect_missing /License.txt
done

# Blanks after the program name are not an installation directory.
M=$(medium stage1-blanks)
drive stage1-blanks <<STEPS
cd $(winpath "$M")
start install.exe{SP}{SP}{SP}
window $TITLE
press OK
window Install Velmora
press Cancel
exit-code 0
STEPS
expect_eq "$(ls -A "$M")" "install.exe"$'\n'"uninstall.exe" "start directory after blanks-only command line"

finish
