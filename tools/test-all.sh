#!/usr/bin/env bash
# Builds every preset and runs every test of both builds: natively (plain, with
# ASan and UBSan, with ThreadSanitizer) and the Windows builds under Wine.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
bash tools/setup.sh

jobs=$(nproc)
has_wine32=no
[ -x /usr/lib/wine/wine ] && has_wine32=yes

build() {
    echo "== build $1"
    cmake --preset "$1" >/dev/null
    cmake --build --preset "$1" -j "$jobs"
}

run_tests() {
    echo "== test $1"
    ctest --preset "$1" -j "$jobs"
}

for preset in native native-asan native-tsan windows-x64 windows-x86; do
    build "$preset"
done

run_tests native
run_tests native-asan
run_tests native-tsan
run_tests windows-x64
if [ "$has_wine32" = yes ]; then
    run_tests windows-x86
else
    echo "== windows-x86 built and linked; its tests need 32-bit Wine, which is not installed"
fi
