# Wine prefixes for the scripts that drive TarnixFileAccess.dll through regsvr32
# and cscript (demo, package check, script tests, benchmark). Source it, then:
#   tx_prefix DIR      make DIR a fresh prefix and use it for the calls below
#   tx_wine PROGRAM..  run a Windows program there (64-bit Wine, no debug output)
#   tx_winpath PATH    the Windows form of an absolute Linux path (through Z:)
# Every prefix is a copy of one template that wineboot makes once, which takes
# far longer than the copy.

tx_template=${TX_WINE_TEMPLATE:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)/build/wineprefix-template}
export WINEDEBUG=-all WINEARCH=win64 WINEDLLOVERRIDES="mscoree,mshtml="
# Arguments and console text with non-ASCII characters pass through UTF-8.
export LC_ALL=C.UTF-8

tx_make_template() {
    mkdir -p "$(dirname "$tx_template")"
    (
        flock 9
        if [ ! -f "$tx_template/.tx-ready" ]; then
            rm -rf "$tx_template"
            WINEPREFIX=$tx_template wineboot --init >/dev/null 2>&1 || true
            WINEPREFIX=$tx_template wineserver -w || true
            [ -f "$tx_template/system.reg" ] || { echo "wineboot made no prefix" >&2; exit 1; }
            touch "$tx_template/.tx-ready"
        fi
    ) 9>"$tx_template.lock"
}

tx_prefix() {
    local dir=$1
    tx_make_template
    if [ -d "$dir" ]; then
        WINEPREFIX=$dir wineserver -k 2>/dev/null || true
        rm -rf "$dir"
    fi
    mkdir -p "$dir"
    # The system DLLs are only read: linked, not copied; the rest is copied whole.
    tar -C "$tx_template" --exclude=./drive_c/windows/system32 -cf - . | tar -C "$dir" -xf -
    cp -al "$tx_template/drive_c/windows/system32" "$dir/drive_c/windows/"
    export WINEPREFIX=$dir
}

tx_wine() {
    wine "$@"
}

tx_winpath() {
    local path=${1//\//\\}
    printf 'Z:%s' "$path"
}
