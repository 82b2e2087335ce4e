#!/usr/bin/env bash
# Unpacks the Windows package, checks its sums and the bitness of each DLL, then
# registers the x64 DLL from the unpacked folder in a fresh Wine prefix and runs
# the first example there. Usage: check-package.sh ZIP
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/../../../tools/wine-prefix.sh"
zip=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
work=$(dirname "$zip")/check
rm -rf "$work"
mkdir -p "$work"
python3 -m zipfile -e "$zip" "$work"
folder=$work/$(basename "$zip" .zip)
(cd "$folder" && sha256sum --quiet -c SHA256SUMS)
for pair in x64:pei-x86-64 x86:pei-i386; do
    objdump -f "$folder/${pair%%:*}/TarnixFileAccess.dll" | grep -q "file format ${pair#*:}" ||
        { echo "FAILED: ${pair%%:*}/TarnixFileAccess.dll is not ${pair#*:}"; exit 1; }
done

tx_prefix "$work/prefix"
tx_wine regsvr32 /s "$(tx_winpath "$folder/x64/TarnixFileAccess.dll")"
out=$(cd "$work" && tx_wine cscript //nologo "$(tx_winpath "$folder/examples/FirstSteps.vbs")" | tr -d '\r')
printf '%s\n' "$out"
for line in "ReadEntireTextFile:   Hello, world!" "OpenForRead failed:   2 File not found."; do
    grep -qxF "$line" <<<"$out" || { echo "FAILED: no line \"$line\""; exit 1; }
done
echo "package: all checks passed"
