#!/usr/bin/env bash
# The demo: the installer's first stage under Wine, on a demo medium made in a scratch folder:
# the lists, a product file, a type library, and stand-ins for dorvik.exe and Setup.exe that
# record that they ran. With $DISPLAY the dialogs appear there for a person to answer; without
# one they are answered with their defaults by the GUI driver on a private display and saved
# as screenshots. Either way it ends by printing what was installed and registered.
set -euo pipefail
export LC_ALL=C
E2E_DIR=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
BIN=$(cd "$1" && pwd)
OUT=$2
mkdir -p "$OUT"
OUT=$(cd "$OUT" && pwd)
source "$E2E_DIR/wine-env.sh"

MEDIUM=$(mktemp -d "${TMPDIR:-/tmp}/velmora-demo.XXXXXX")
trap 'rm -rf -- "$MEDIUM"' EXIT
cp "$BIN/install.exe" "$MEDIUM/"
cp "$BIN/fixtures/v1/sample.dll" "$MEDIUM/velmora.dll"
cp "$BIN/fixtures/sample.tlb" "$MEDIUM/velmora.tlb"
cp "$BIN/standin.exe" "$MEDIUM/dorvik.exe"
cp "$BIN/standin.exe" "$MEDIUM/Setup.exe"
printf ' @velmora.dll@0@velmora.dll@ @\r\n @velmora.tlb@0@velmora.tlb@ @\r\n @dorvik.exe@0@dorvik.exe@ @\r\n' >"$MEDIUM/fileList.txt"
printf 'velmora.tlb\r\n' >"$MEDIUM/regList.txt"
LIBID="{6F1D9A52-3C0B-4E7A-9B21-5A8E0C4D7F13}"

echo "demo: medium $MEDIUM"
sed 's/^/demo:   fileList.txt | /' "$MEDIUM/fileList.txt" | tr -d '\r'
sed 's/^/demo:   regList.txt  | /' "$MEDIUM/regList.txt" | tr -d '\r'

if [[ -n ${DISPLAY:-} ]]; then
    export WINEPREFIX=$MEDIUM/.wine WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
    echo "demo: the installer's first stage is on $DISPLAY; answer its dialogs there."
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
    echo "demo: no \$DISPLAY; running the first stage on a private display, answering with the defaults"
    "$WINE" "$BIN/guidriver.exe" "$(winpath "$MEDIUM/demo.steps")" >"$OUT/driver.log" ||
        { cat "$OUT/driver.log"; echo "demo: the GUI driver failed" >&2; exit 1; }
    for shot in license installdir default-setup notice; do
        bmp_to_png "$OUT/$shot.bmp" "$OUT/$shot.png" && rm -f "$OUT/$shot.bmp"
    done
    echo "demo: screenshots in $OUT: license.png installdir.png default-setup.png notice.png"
fi

INST="$WINEPREFIX/drive_c/Program Files/Velmora"
echo "demo: installed into c:\\Program Files\\Velmora\\:"
if [[ -d $INST ]]; then
    (cd "$INST" && for f in *; do printf 'demo:   %-16s %7d bytes\n' "$f" "$(stat -c %s "$f")"; done)
else
    echo "demo:   (nothing: the installation was cancelled)"
fi
echo "demo: type library registration (HKCR\\TypeLib\\$LIBID):"
"$WINE" reg query "HKCR\\TypeLib\\$LIBID" /s 2>/dev/null </dev/null | tr -d '\r' | sed -n 's/^ *\(.\+\)$/demo:   \1/p' || true
if [[ -f $INST/Setup.txt ]]; then
    echo "demo: Setup.txt, its line-end bytes shown as [CR] and [LF]:"
    perl -0777 -pe 's/(\r|\n)/$1 eq "\r" ? "[CR]\n" : "[LF]\n"/ge' "$INST/Setup.txt" | sed 's/^/demo:   /'
fi
[[ -s $INST/dorvik.exe.log ]] && echo "demo: dorvik.exe (stand-in) ran from the installation directory"
for ((i = 0; i < 30; i++)); do [[ -s $MEDIUM/Setup.exe.log ]] && break; sleep 0.1; done
[[ -s $MEDIUM/Setup.exe.log ]] && echo "demo: Setup.exe (stand-in) started from the medium"
if [[ -n ${DISPLAY:-} ]]; then /usr/lib/wine/wineserver64 -k 2>/dev/null || true; fi
echo "demo: done"
