#!/usr/bin/env bash
# dorvik.exe against associations nobody here wrote: the table of real shapes that the Windows
# test runs in process (real_assoc.reg and .txt), here through the registered server; and Wine's
# stock associations as peers, whose open and print verbs start Notepad with the document.
source "$(dirname "${BASH_SOURCE[0]}")/real-assoc-env.sh"
source "$(dirname "${BASH_SOURCE[0]}")/e2e-lib.sh"
CLIENT=$BIN/dorvik_client.exe
mkdir -p "$SCRATCH/server" "$SCRATCH/My Docs"
cp "$BIN/dorvik.exe" "$SCRATCH/server/"
(cd "$SCRATCH/server" && "$WINE" dorvik.exe </dev/null) || fail "registration run"
real_assoc_install "$BIN" || fail "the table's programs"

# client ARGS...: the C++ client; a program it has started inherits its output, so that goes to a file.
client() {
    local rc=0
    "$WINE" "$CLIENT" "$@" </dev/null >"$SCRATCH/client.out" 2>&1 || rc=$?
    tr -d '\r' <"$SCRATCH/client.out"
    return "$rc"
}

echo "--- the table of real association shapes"
client table "$REAL_ASSOC_TABLE" || fail "association table"

# Wine links inifile to .ini itself; its txtfile type has no .txt key pointing at it here, so
# the test adds that one link as Windows has it and uses Wine's own verbs.
"$WINE" reg add 'HKCR\.txt' /ve /d txtfile /f </dev/null >/dev/null || fail "reg add .txt"
for ext in ini txt; do
    for verb in open print; do
        doc="$verb one.$ext"
        printf 'Velmora %s\r\n' "$verb" >"$SCRATCH/My Docs/$doc"
        echo "--- Wine's .$ext $verb"
        client open ".$ext" "$verb" "$(winpath "$SCRATCH/My Docs/$doc")" || fail ".$ext $verb"
        # Notepad shows the document (print too, while it prints): its caption names the file.
        drive "notepad-$ext-$verb" <<STEPS
timeout 20
window $doc - Notepad
STEPS
    done
done

finish
