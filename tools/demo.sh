#!/usr/bin/env bash
# Builds the component and shows it at work: the Windows DLL registered with
# regsvr32 in a Wine prefix of its own (build/wineprefix-demo) and driven by the
# example scripts through cscript, then the native demo program.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
bash tools/setup.sh

cmake --preset windows-x64 >/dev/null
cmake --build --preset windows-x64 -j "$(nproc)" --target TarnixFileAccess
. tools/wine-prefix.sh
echo "== registering TarnixFileAccess.dll in build/wineprefix-demo"
tx_prefix "$root/build/wineprefix-demo"
tx_wine regsvr32 /s "$(tx_winpath "$root/build/windows-x64/automation/TarnixFileAccess.dll")"

# The examples work in folders below the current one and remove them.
mkdir -p build/demo-run
cd build/demo-run
for example in FirstSteps.vbs WalkTree.js Charsets.js SplitAndJoin.vbs; do
    echo
    echo "== cscript //nologo examples\\$example"
    args=()
    [ "$example" = WalkTree.js ] && args=("$(tx_winpath "$root/examples")")
    tx_wine cscript //nologo "$(tx_winpath "$root/examples/$example")" "${args[@]}" | tr -d '\r'
done
cd "$root"

cmake --preset native >/dev/null
cmake --build --preset native -j "$(nproc)" --target tx_demo
echo
echo "== build/native/examples/tx_demo"
build/native/examples/tx_demo
