#!/usr/bin/env bash
# Times TarnixFileAccess against Scripting.FileSystemObject under Wine: registers the
# windows-x64 DLL in a prefix of its own (build/wineprefix-bench), makes a tree of
# 10,000 small files (100 folders of 100, two levels deep) and runs
# bench/CompareFso.vbs with 100,000 FileExists calls. Usage: bench/compare_fso.sh [CALLS]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
calls=${1:-100000}

cmake --preset windows-x64 >/dev/null
cmake --build --preset windows-x64 -j "$(nproc)" --target TarnixFileAccess >/dev/null
. tools/wine-prefix.sh
tx_prefix "$root/build/wineprefix-bench"
tx_wine regsvr32 /s "$(tx_winpath "$root/build/windows-x64/automation/TarnixFileAccess.dll")"

data=$root/build/bench-data/fso
if [ ! -f "$data.complete" ]; then
    rm -rf "$data"
    for d in $(seq 0 9); do
        for s in $(seq 0 9); do
            mkdir -p "$data/d$d/s$s"
            for f in $(seq 0 99); do printf '%*s' $((f + 1)) "" >"$data/d$d/s$s/f$f.txt"; done
        done
    done
    touch "$data.complete"
fi
tx_wine cscript //nologo "$(tx_winpath "$root/bench/CompareFso.vbs")" "$(tx_winpath "$data")" "$calls" |
    tr -d '\r'
