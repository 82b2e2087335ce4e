#!/usr/bin/env bash
# Builds every preset and runs every test of both builds: natively (plain, with
# ASan and UBSan, with ThreadSanitizer) and the Windows builds under Wine; then
# makes the Windows package and checks it unpacked.
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

# The fuzz target is built with clang and run briefly, so that it keeps building
# and a shallow finding shows at once; long runs are done by hand.
fuzz_smoke() {
    echo "== fuzz convert_fuzz (60 s)"
    cmake --preset fuzz >/dev/null
    cmake --build --preset fuzz -j "$jobs" --target convert_fuzz
    local corpus=build/fuzz/corpus/convert
    mkdir -p "$corpus"
    build/fuzz/fuzz/convert_fuzz -max_total_time=60 -print_final_stats=1 "$corpus" \
        >build/fuzz/convert_fuzz.log 2>&1 || { tail -n 40 build/fuzz/convert_fuzz.log; return 1; }
    grep -E '^stat::number_of_executed_units|^Done' build/fuzz/convert_fuzz.log || true
}

fuzz_smoke
run_tests native
run_tests native-asan
run_tests native-tsan
run_tests windows-x64
if [ "$has_wine32" = yes ]; then
    run_tests windows-x86
else
    echo "== windows-x86 built and linked; its tests need 32-bit Wine, which is not installed"
fi

echo "== package"
zip=$(bash tools/package.sh)
bash tests/automation/scripts/check-package.sh "$zip"
