#!/usr/bin/env bash
# The demo: the installer's first stage under Wine, on a medium made in a scratch folder.
# With $DISPLAY the dialogs appear there for a person to answer; without one they are
# answered by the GUI driver on a private display and saved as screenshots.
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
cp "$BIN/standin.exe" "$MEDIUM/Setup.exe"

if [[ -n ${DISPLAY:-} ]]; then
    export WINEPREFIX=$MEDIUM/.wine WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
    echo "demo: the installer's first stage is on $DISPLAY; answer its dialogs there."
    (cd "$MEDIUM" && "$WINE" install.exe)
    /usr/lib/wine/wineserver64 -k 2>/dev/null || true
    echo "demo: the installer has ended."
    exit 0
fi

wine_env_start
cat >"$MEDIUM/demo.steps" <<STEPS
cd $(winpath "$MEDIUM")
start install.exe
window Velmora License Agreement
shot $(winpath "$OUT")\\license.bmp
press OK
exit-code 0
STEPS
echo "demo: no \$DISPLAY; running the first stage on a private display"
"$WINE" "$BIN/guidriver.exe" "$(winpath "$MEDIUM/demo.steps")"
bmp_to_png "$OUT/license.bmp" "$OUT/license.png"
rm -f "$OUT/license.bmp"
echo "demo: licence agreement shown and accepted; screenshot: $OUT/license.png"
