#!/usr/bin/env bash
# The demo: the whole story under Wine on a demo medium made in a scratch folder.
#  1. The installer's first stage: licence, installation directory, the listed files (a product
#     file, a type library and dorvik.exe itself), the type library registered, the default
#     setup dialog, dorvik registering itself, the notice, and a stand-in Setup.exe.
#  2. A VBScript client (docs/examples/open-documents.vbs, run by Wine's cscript.exe) opens a
#     document of the demo type through DORVIK.DDEINTFC: dorvik finds no DDE server, starts the
#     DDE test application from the association's command line and sends it the document;
#     a second document goes over the same conversation; then getUserName.
#  3. uninstall.exe, which the first stage left in the installation directory, removes the
#     product again; "keep" as the third argument (./run demo keep) leaves it installed.
# With $DISPLAY the installer's dialogs appear there for a person to answer; without one they
# are answered with their defaults by the GUI driver on a private display and saved as
# screenshots. Either way it ends with a summary of what happened.
set -euo pipefail
export LC_ALL=C
E2E_DIR=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
ROOT=$(cd "$E2E_DIR/../.." && pwd)
BIN=$(cd "$1" && pwd)
OUT=$2
KEEP=${3:-}
INTERACTIVE=${DISPLAY:+1}  # wine_env_start sets DISPLAY to its private one
mkdir -p "$OUT"
OUT=$(cd "$OUT" && pwd)
source "$E2E_DIR/wine-env.sh"
say() { printf 'demo: %s\n' "$*"; }

MEDIUM=$(mktemp -d "${TMPDIR:-/tmp}/velmora-demo.XXXXXX")
trap 'rm -rf -- "$MEDIUM"' EXIT
cp "$BIN/install.exe" "$BIN/uninstall.exe" "$BIN/dorvik.exe" "$MEDIUM/"
cp "$BIN/fixtures/v1/sample.dll" "$MEDIUM/velmora.dll"
cp "$BIN/fixtures/sample.tlb" "$MEDIUM/velmora.tlb"
cp "$BIN/standin.exe" "$MEDIUM/Setup.exe"
printf ' @velmora.dll@0@velmora.dll@ @\r\n @velmora.tlb@0@velmora.tlb@ @\r\n @dorvik.exe@0@dorvik.exe@ @\r\n' >"$MEDIUM/fileList.txt"
printf 'velmora.tlb\r\n' >"$MEDIUM/regList.txt"
LIBID="{6F1D9A52-3C0B-4E7A-9B21-5A8E0C4D7F13}"

case $(file -b "$BIN/install.exe") in
PE32+*) say "the 64-bit programs ($BIN) on 64-bit Windows (Wine)" ;;
*) say "the shipped 32-bit programs ($BIN) on 64-bit Windows (Wine, WoW64), as most users run them" ;;
esac
say "medium $MEDIUM"
sed 's/^/demo:   fileList.txt | /' "$MEDIUM/fileList.txt" | tr -d '\r'
sed 's/^/demo:   regList.txt  | /' "$MEDIUM/regList.txt" | tr -d '\r'

if [[ -n ${DISPLAY:-} ]]; then
    export WINEPREFIX=$MEDIUM/.wine WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
    say "the installer's first stage is on $DISPLAY; answer its dialogs there."
    (cd "$MEDIUM" && "$WINE" install.exe)
else
    wine_env_start
    NOTICE="You will be asked to reenter the Installation Directory. If you changed the default values earlier, please enter the same directory name again. Microsoft Agent Components and the Speech Engines will also be installed."
    cat >"$MEDIUM/demo.steps" <<STEPS
cd $(winpath "$MEDIUM")
start install.exe
window Velmora License Agreement
shot $(winpath "$OUT")\\license.bmp
press OK
window Install Velmora
shot $(winpath "$OUT")\\installdir.bmp
press OK
window Velmora Default Setup
shot $(winpath "$OUT")\\default-setup.bmp
press OK
box install
expect-box-text $NOTICE
shot $(winpath "$OUT")\\notice.bmp
press OK
exit-code 0
STEPS
    say "no \$DISPLAY: running the first stage on a private display, answering with the defaults"
    "$WINE" "$BIN/guidriver.exe" "$(winpath "$MEDIUM/demo.steps")" >"$OUT/driver.log" ||
        { cat "$OUT/driver.log"; echo "demo: the GUI driver failed" >&2; exit 1; }
    for shot in license installdir default-setup notice; do
        bmp_to_png "$OUT/$shot.bmp" "$OUT/$shot.png" && rm -f "$OUT/$shot.bmp"
    done
    say "screenshots in $OUT: license.png installdir.png default-setup.png notice.png"
fi

wine_env_arch "$BIN/install.exe"  # REG_EXE: the registry as the installed programs see it
INST="$WINEPREFIX/drive_c/Program Files/Velmora"
echo
say "1. the installer's first stage"
say "installed into c:\\Program Files\\Velmora\\:"
if [[ -d $INST ]]; then
    (cd "$INST" && for f in *; do printf 'demo:   %-16s %7d bytes\n' "$f" "$(stat -c %s "$f")"; done)
else
    say "  (nothing: the installation was cancelled)"
fi
say "type library registration (HKCR\\TypeLib\\$LIBID):"
wine_query "$REG_EXE" query "HKCR\\TypeLib\\$LIBID" /s 2>/dev/null | tr -d '\r' | sed -n 's/^ *\(.\+\)$/demo:   \1/p' || true
say "dorvik's registry entries (written when the installer ran it):"
CLSID=$(wine_query "$REG_EXE" query 'HKCR\DORVIK.DDEINTFC\CLSID' /ve 2>/dev/null | tr -d '\r' | sed -n 's/^ *(Default) *REG_SZ *//p')
for key in DORVIK.DDEINTFC 'DORVIK.DDEINTFC\CLSID' "CLSID\\$CLSID" "CLSID\\$CLSID\\ProgID" \
    "CLSID\\$CLSID\\InprocHandler32" "CLSID\\$CLSID\\LocalServer32" "CLSID\\$CLSID\\TypeLib" "CLSID\\$CLSID\\Version"; do
    printf 'demo:   HKCR\\%-58s = %s\n' "$key" \
        "$(wine_query "$REG_EXE" query "HKCR\\$key" /ve 2>/dev/null | tr -d '\r' | sed -n 's/^ *(Default) *REG_SZ *//p')"
done
if [[ -f $INST/Setup.txt ]]; then
    say "Setup.txt, its line-end bytes shown as [CR] and [LF]:"
    perl -0777 -pe 's/(\r|\n)/$1 eq "\r" ? "[CR]\n" : "[LF]\n"/ge' "$INST/Setup.txt" | sed 's/^/demo:   /'
fi
for ((i = 0; i < 30; i++)); do [[ -s $MEDIUM/Setup.exe.log ]] && break; sleep 0.1; done
[[ -s $MEDIUM/Setup.exe.log ]] && say "Setup.exe (stand-in) was started from the medium"
UNINSTALL_KEY='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Velmora'
say "Add or Remove Programs entry ($UNINSTALL_KEY):"
wine_query "$REG_EXE" query "$UNINSTALL_KEY" 2>/dev/null | tr -d '\r' | sed -n 's/^ \+\(.\+\)$/demo:   \1/p' || true

echo
say "2. a script client opens documents through DORVIK.DDEINTFC"
VIEWER_DIR=$WINEPREFIX/drive_c/Velmora\ Viewer
mkdir -p "$VIEWER_DIR" "$WINEPREFIX/drive_c/Docs"
cp "$BIN/ddeapp.exe" "$VIEWER_DIR/viewer.exe"
echo "first" >"$WINEPREFIX/drive_c/Docs/first report.vdoc"
echo "second" >"$WINEPREFIX/drive_c/Docs/second.vdoc"
cat >"$MEDIUM/demo.reg" <<REG
REGEDIT4

[HKEY_CLASSES_ROOT\\.vdoc]
@="velmora.document"
[HKEY_CLASSES_ROOT\\velmora.document\\shell\\open\\command]
@="$(reg_esc '"C:\Velmora Viewer\viewer.exe" /service:VelmoraViewer /topic:Documents "%1"')"
[HKEY_CLASSES_ROOT\\velmora.document\\shell\\open\\ddeexec]
@="$(reg_esc '[open("%1")]')"
[HKEY_CLASSES_ROOT\\velmora.document\\shell\\open\\ddeexec\\Application]
@="VelmoraViewer"
[HKEY_CLASSES_ROOT\\velmora.document\\shell\\open\\ddeexec\\Topic]
@="Documents"
[HKEY_CLASSES_ROOT\\velmora.document\\shell\\print\\command]
@="$(reg_esc '"C:\Velmora Viewer\viewer.exe" /print /life:1000 "%1"')"
REG
"$WINE" regedit /s "$(winpath "$MEDIUM/demo.reg")" </dev/null
say "association: .vdoc -> velmora.document; open: DDE service VelmoraViewer, topic Documents, [open(\"%1\")];"
say "  print: no DDE, the viewer is started with the document"
say "cscript open-documents.vbs .vdoc open \"C:\\Docs\\first report.vdoc\" C:\\Docs\\second.vdoc"
# To a file, not a pipe: a Wine service started meanwhile would hold a pipe open for good.
"$WINE" cscript.exe //nologo "$(winpath "$ROOT/docs/examples/open-documents.vbs")" .vdoc open \
    'C:\Docs\first report.vdoc' 'C:\Docs\second.vdoc' </dev/null >"$MEDIUM/script.out" 2>&1 || true
say "cscript open-documents.vbs .vdoc print C:\\Docs\\second.vdoc"
"$WINE" cscript.exe //nologo "$(winpath "$ROOT/docs/examples/open-documents.vbs")" .vdoc print \
    'C:\Docs\second.vdoc' </dev/null >>"$MEDIUM/script.out" 2>&1 || true
tr -d '\r' <"$MEDIUM/script.out" | sed 's/^/demo:   script: /'
LOG=$VIEWER_DIR/viewer.exe.log
for ((i = 0; i < 50; i++)); do grep -q '^start|/print' "$LOG" 2>/dev/null && break; sleep 0.1; done
say "what the DDE application (viewer.exe) saw:"
tr -d '\r' <"$LOG" 2>/dev/null | sed 's/^/demo:   /' || say "  (nothing: it was not started)"
say "DDE connects: $(grep -c '^connect|' "$LOG" 2>/dev/null || echo 0), documents received over DDE: $(grep -c '^execute|' "$LOG" 2>/dev/null || echo 0)"

if [[ $KEEP != keep ]]; then
    echo
    say "3. uninstall.exe removes the product"
    # dorvik's server ends 3 s after its last object goes; removed while it runs, its program
    # would only be scheduled for deletion at the next restart.
    for ((i = 0; i < 100; i++)); do pgrep -f 'Velmora.dorvik\.exe' >/dev/null || break; sleep 0.1; done
    if [[ -n $INTERACTIVE ]]; then
        say "uninstall.exe is on $DISPLAY; answer its questions there."
        "$WINE" 'C:\Program Files\Velmora\uninstall.exe' </dev/null || true
    else
        cat >"$MEDIUM/remove.steps" <<STEPS
start "C:\Program Files\Velmora\uninstall.exe"
box uninstall
shot $(winpath "$OUT")\\uninstall-confirm.bmp
press Yes
box uninstall
shot $(winpath "$OUT")\\uninstall-done.bmp
press OK
exit-code 0
STEPS
        "$WINE" "$BIN/guidriver.exe" "$(winpath "$MEDIUM/remove.steps")" >"$OUT/remove.log" ||
            { cat "$OUT/remove.log"; echo "demo: the GUI driver failed" >&2; exit 1; }
        for shot in uninstall-confirm uninstall-done; do
            bmp_to_png "$OUT/$shot.bmp" "$OUT/$shot.png" && rm -f "$OUT/$shot.bmp"
        done
        say "screenshots in $OUT: uninstall-confirm.png uninstall-done.png"
    fi
    for ((i = 0; i < 50; i++)); do [[ -e $INST ]] || break; sleep 0.1; done  # it deletes itself last
    if [[ -e $INST ]]; then say "c:\Program Files\Velmora\ is still there: $(ls -A "$INST" | tr '\n' ' ')"; else say "c:\Program Files\Velmora\ is gone"; fi
    for key in 'HKCR\DORVIK.DDEINTFC' "HKCR\\TypeLib\\$LIBID" "$UNINSTALL_KEY"; do
        if wine_query "$REG_EXE" query "$key" >/dev/null 2>&1; then say "$key is still there"; else say "$key is gone"; fi
    done
fi
if [[ -n ${DISPLAY:-} ]]; then /usr/lib/wine/wineserver64 -k 2>/dev/null || true; fi
say "done"
