#!/usr/bin/env bash
# Script tests under Wine. "setup WORK DLL": a fresh prefix in WORK with the DLL
# registered machine-wide. "run WORK SUITE": runs the suite there with cscript on an
# empty scratch folder. A suite passes only when it says so on its last line: Wine's
# cscript reports a script error by nothing at all and exits 0.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/../../../tools/wine-prefix.sh"
mode=$1 work=$2 file=$3

if [ "$mode" = setup ]; then
    tx_prefix "$work/prefix"
    tx_wine regsvr32 /s "$(tx_winpath "$file")"
    exit
fi
export WINEPREFIX=$work/prefix
scratch=$work/scratch-$(basename "$file")
rm -rf "$scratch"
mkdir -p "$scratch"
status=0
out=$(tx_wine cscript //nologo "$(tx_winpath "$file")" "$(tx_winpath "$scratch")" | tr -d '\r') ||
    status=$?
printf '%s\n' "$out"
if [ "$status" != 0 ] || ! tail -n 1 <<<"$out" | grep -Eq '^all [0-9]+ checks passed$'; then
    echo "$(basename "$file") failed (exit code $status)" >&2
    exit 1
fi
