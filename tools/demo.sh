#!/usr/bin/env bash
# Builds the component and shows it at work.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
bash tools/setup.sh

cmake --preset native >/dev/null
cmake --build --preset native -j "$(nproc)" --target tx_demo
echo
build/native/examples/tx_demo
