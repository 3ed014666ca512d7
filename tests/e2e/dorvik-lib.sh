# shellcheck shell=bash
# What dorvik's registration scenarios share: its identifiers and registry readers. Source it
# after e2e-lib.sh.
CLSID='{4B7E2C91-5D3A-4F16-9A2E-71C0D8E35A42}'
PROGID=DORVIK.DDEINTFC
LIBID='{4B7E2C92-5D3A-4F16-9A2E-71C0D8E35A42}'
IID='{4B7E2C90-5D3A-4F16-9A2E-71C0D8E35A42}'
TYPELIB_KEY="TypeLib\\$LIBID\\1.0\\0\\$TYPELIB_SUBKEY"

# reg_view VIEW ARGS...: reg.exe in the 32- or 64-bit registry view, or as dorvik's own bitness
# sees it (VIEW "own"). Each view is read by the reg.exe of its bitness: Wine's 64-bit reg.exe
# with /reg:32 misses the keys that the views share, Windows' does not.
reg_view() {
    local view=$1
    shift
    case $view in
    32) wine_query 'C:\windows\syswow64\reg.exe' "$@" /reg:32 ;;
    64) wine_query reg "$@" /reg:64 ;;
    *) wine_query "$REG_EXE" "$@" ;;
    esac
}

# value KEY [VIEW]: the default value of HKCR\KEY, or "(missing)".
value() {
    local out
    if out=$(reg_view "${2:-own}" query "HKCR\\$1" /ve 2>/dev/null </dev/null); then
        printf '%s\n' "$out" | tr -d '\r' | sed -n 's/^ *(Default) *REG_SZ *//p'
    else
        echo "(missing)"
    fi
}

# tree KEY [VIEW]: every value under HKCR\KEY, one "subkey|name|data" line each, sorted;
# nothing when the key is missing.
tree() {
    reg_view "${2:-own}" query "HKCR\\$1" /s 2>/dev/null </dev/null | tr -d '\r' |
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
