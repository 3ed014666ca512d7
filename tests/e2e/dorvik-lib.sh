# shellcheck shell=bash
# What dorvik's registration scenarios share: its identifiers and registry readers. Source it
# after e2e-lib.sh.
CLSID='{4B7E2C91-5D3A-4F16-9A2E-71C0D8E35A42}'
PROGID=DORVIK.DDEINTFC
LIBID='{4B7E2C92-5D3A-4F16-9A2E-71C0D8E35A42}'
IID='{4B7E2C90-5D3A-4F16-9A2E-71C0D8E35A42}'
TYPELIB_KEY="TypeLib\\$LIBID\\1.0\\0\\$TYPELIB_SUBKEY"

# value KEY: the default value of HKCR\KEY as dorvik's own bitness sees it, or "(missing)".
value() {
    local out
    if out=$("$WINE" "$REG_EXE" query "HKCR\\$1" /ve 2>/dev/null </dev/null); then
        printf '%s\n' "$out" | tr -d '\r' | sed -n 's/^ *(Default) *REG_SZ *//p'
    else
        echo "(missing)"
    fi
}

# tree KEY [REG]: every value under HKCR\KEY, one "subkey|name|data" line each, sorted; nothing
# when the key is missing. Read with REG (reg.exe and a view switch), or as dorvik sees it.
tree() {
    # shellcheck disable=SC2086
    "$WINE" ${2:-"$REG_EXE"} query "HKCR\\$1" /s 2>/dev/null </dev/null | tr -d '\r' |
        awk -v skip=$((${#1} + 18)) '
            /^HKEY_/ { key = substr($0, skip + 1); next }
            /^    / { sub(/^    /, ""); n = split($0, f, /    /); print key "|" f[1] "|" (n > 2 ? f[3] : "") }' |
        sort
}

# names_copy WINPATH DIR: whether WINPATH is DIR/dorvik.exe.
names_copy() {
    local unix
    unix=$("$WINE" winepath -u "$1" 2>/dev/null </dev/null | tr -d '\r')
    [[ -n $unix ]] && cmp -s "$unix" "$2/dorvik.exe"
}
