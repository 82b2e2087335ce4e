#!/usr/bin/env bash
# Registers the DLL with regsvr32 in a fresh Wine prefix, machine-wide and per user,
# from a folder whose name has a space and characters outside ASCII, and checks the
# exported registry against one table of expected keys. Usage: registration.sh DLL WORK
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/../../../tools/wine-prefix.sh"
dll=$1 work=$2
idl=$here/../../../automation/TarnixFileAccess.idl
failures=0

tx_prefix "$work/registration-prefix"
folder="Program Files/Tärnix Prüfung 日本"
mkdir -p "$WINEPREFIX/drive_c/$folder"
cp "$dll" "$WINEPREFIX/drive_c/$folder/"
module="C:\\${folder//\//\\}\\TarnixFileAccess.dll"

# The GUID in the uuid attribute just above a declaration of the type library source.
guid() { grep -B8 "$1" "$idl" | grep -o 'uuid([^)]*)' | tail -n 1 | sed 's/uuid(\(.*\))/{\U\1}/'; }
fa=$(guid 'coclass TxFileAccess') dt=$(guid 'coclass TxDirTree') lib=$(guid 'library TARNIX')

# Key|value name|value, @ for the default value; a row with no value name asks only
# that the key exist. Key names are compared in lower case, values exactly.
class_rows() { # CLSID NAME BITMAP PROGID [more ProgIDs]
    local clsid=$1 name=$2 bitmap=$3 c="CLSID\\$1"
    shift 3
    printf '%s\n' "$c|@|$name" "$c\\ProgID|@|$1.1" "$c\\VersionIndependentProgID|@|$1" \
        "$c\\Programmable||" "$c\\InprocServer32|@|$module" \
        "$c\\InprocServer32|ThreadingModel|Apartment" "$c\\Control||" "$c\\Insertable||" \
        "$c\\ToolboxBitmap32|@|$module, $bitmap" "$c\\MiscStatus|@|0" \
        "$c\\MiscStatus\\1|@|132497" "$c\\TypeLib|@|$lib" "$c\\Version|@|1.0"
    for p in "$@"; do
        printf '%s\n' "$p.1|@|$name" "$p.1\\CLSID|@|$clsid" "$p.1\\Insertable||" \
            "$p|@|$name" "$p\\CLSID|@|$clsid" "$p\\CurVer|@|$p.1"
    done
}
{
    class_rows "$fa" "Tarnix FileAccess" 101 TarnixFileAccess.TxFileAccess Tarnix.FileAccess
    class_rows "$dt" "TxDirTree Class" 103 Tarnix.DirTree
    printf '%s\n' "TypeLib\\$lib\\1.0|@|Tarnix FileAccess" "TypeLib\\$lib\\1.0\\0\\win64|@|$module" \
        "TypeLib\\$lib\\1.0\\FLAGS||" "TypeLib\\$lib\\1.0\\HELPDIR||"
    for iface in ITxFileAccess ITxDirTree; do
        id=$(guid "interface $iface :")
        printf '%s\n' "Interface\\$id|@|$iface" "Interface\\$id\\TypeLib|@|$lib"
    done
} | awk -F'|' -v OFS='|' '{ $1 = tolower($1); print }' >"$work/expected.txt"
cut -d'|' -f1 "$work/expected.txt" | sort -u >"$work/expected-keys.txt"

# The classes of one hive, flattened to the rows above.
hive() { # ROOT NAME
    local file=$work/$2.reg
    rm -f "$file"
    tx_wine reg export "$1\\Software\\Classes" "$(tx_winpath "$file")" /y >/dev/null 2>&1 || true
    [ -f "$file" ] || return 0
    iconv -f UTF-16 -t UTF-8 "$file" | tr -d '\r' | awk -v OFS='|' '
        /^\[/ { key = tolower(substr($0, 2, length($0) - 2))
                sub(/^[^\\]*\\software\\classes\\?/, "", key); print key, "", ""; next }
        /^@=/ { name = "@"; value = substr($0, 3) }
        /^"/ { at = index($0, "\"="); name = substr($0, 2, at - 2); value = substr($0, at + 2) }
        /^[@"]/ { if (value ~ /^".*"$/) value = substr(value, 2, length(value) - 2)
                  gsub(/\\\\/, "\\", value); print key, name, value }' >"$work/$2.txt"
}
fail() {
    echo "FAILED: $*"
    failures=$((failures + 1))
}
expect_registered() { # HIVE
    hive "$1" registered
    grep -vxFf "$work/registered.txt" "$work/expected.txt" | sed "s/^/missing in $1: /" | grep . &&
        fail "keys or values missing in $1" || true
}
expect_unregistered() { # HIVE...
    local root
    for root in "$@"; do
        hive "$root" unregistered
        cut -d'|' -f1 "$work/unregistered.txt" | grep -xFf "$work/expected-keys.txt" |
            sed "s/^/left in $root: /" | grep . && fail "keys left in $root" || true
    done
}
regsvr() {
    tx_wine regsvr32 /s "$@" "$module" || fail "regsvr32 $* exited $?"
}
progids=(TarnixFileAccess.TxFileAccess.1 TarnixFileAccess.TxFileAccess Tarnix.FileAccess.1
    Tarnix.FileAccess Tarnix.DirTree.1 Tarnix.DirTree)
creatable() { # 1 or 0, what each ProgID must give
    local got want
    got=$(tx_wine cscript //nologo "$(tx_winpath "$here/creatable.vbs")" "${progids[@]}" | tr -d '\r')
    want=$(printf "%s $1\n" "${progids[@]}")
    [ "$got" = "$want" ] || fail "CreateObject: expected
$want
got
$got"
}

echo "== machine-wide"
regsvr
expect_registered HKLM
creatable 1
regsvr /u
expect_unregistered HKLM
creatable 0
regsvr /u

# Wine's COM reads classes from the machine only, so a per-user registration is
# checked by its keys.
echo "== per user"
regsvr /n /i:user
expect_registered HKCU
expect_unregistered HKLM
regsvr /u /n /i:user
expect_unregistered HKCU
regsvr /u /n /i:user

[ "$failures" = 0 ] && echo "registration: all checks passed"
exit $((failures != 0))
