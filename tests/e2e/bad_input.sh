#!/usr/bin/env bash
# Bad input to the installer's lists, one row each: what the list holds, what the user
# sees, and what is on disk afterwards (nothing cut, nothing overrun, nothing half-written).
source "$(dirname "${BASH_SOURCE[0]}")/e2e-lib.sh"

fatal() { error_text 1 "$1"; }
x80=$(printf 'x%.0s' {1..80})
n80=$(printf 'n%.0s' {1..80})
M50=$(printf 'M%.0s' {1..50})

# row NAME FILELIST REGLIST OUTCOME EXPECTED_FILES
#   FILELIST/REGLIST: printf formats ("-" for no list); OUTCOME: the box text that ends the
#   run, or "done" for a run that reaches the default setup dialog (answered Cancel) and then
#   "Installation Failed" (no dorvik.exe on these media); EXPECTED_FILES: the installation
#   directory's listing afterwards.
row() {
    local name=$1 files=$2 regs=$3 outcome=$4 expected=$5
    local m inst steps
    m=$(medium "$name")
    cp "$FIXTURES/v1/sample.dll" "$m/a.dll"
    cp "$FIXTURES/v1/sample.dll" "$m/b.dll"
    cp "$FIXTURES/v1/sample.dll" "$m/café.dll"  # Wine keeps Windows names as UTF-8 on the Unix side
    [[ $files == - ]] || printf "$files" >"$m/fileList.txt"
    [[ $regs == - ]] || printf "$regs" >"$m/regList.txt"
    if [[ $outcome == done ]]; then
        steps=$(printf '%s\n' "window Velmora Default Setup" "press Cancel" "$(ok_box_steps "Installation Failed")")
    else
        steps=$(ok_box_steps "$outcome")
    fi
    drive "$name" <<STEPS
$(first_stage_steps "$m")
set 1001 c:\\bad\\$name
press OK
$steps
exit-code 0
STEPS
    inst=$DRIVE_C/bad/$name
    expect_eq "$(cd "$inst" 2>/dev/null && ls -A | tr '\n' ' ')" "$expected" "$name: installation directory"
}

mkdir -p "$DRIVE_C/bad"
row line600 "%0600d\n @a.dll@0@a.dll@ @\n" - \
    "$(fatal "The source directory is longer than 259 characters: \"${x80//x/0}...\"")" "License.txt install.log "
row field300 " @a.dll@0@a.dll@ @\n @%0300d@0@x.dll@ @\n" - \
    "$(fatal "The source file name is longer than 259 characters: \"${x80//x/0}...\"")" "License.txt a.dll install.log "
row reglist300 "" "$(printf "n%.0s" {1..300})\n" \
    "$(fatal "The type library name is longer than 259 characters: \"$n80...\"")" "License.txt install.log "
row unclosed-macro " @a.dll@0@a.dll@#INSTDIR\\\\sub@\n" - done "License.txt a.dll install.log "
# A macro that matches nothing (too long a name, or unclosed) leaves the source directory
# empty, which the service cannot read from; in the application directory it means the
# installation directory.
row long-macro-name "#$M50#\\\\x@a.dll@0@a.dll@ @\n" - \
    "$(fatal "VIF_CANNOTREADSRC{TAB}The function cannot read the source file. This could mean that the path was not specified properly.")" "License.txt install.log "
row high-bytes " @caf\xe9.dll@0@caf\xe9.dll@ @\n" - done "License.txt café.dll install.log "
row nul-byte " @a.dll@0@a.dll@ @\0@b.dll@0@b.dll@\n @b.dll@0@c.dll@ @\n" - done "License.txt a.dll c.dll install.log "

finish
