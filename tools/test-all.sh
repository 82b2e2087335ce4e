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

# Every fuzz target is built with clang and run for 25 seconds from its committed seeds,
# so that they keep building and a shallow finding shows at once; long runs are done by
# hand (fuzz/CMakeLists.txt). One line per target: its executions, or the failure.
fuzz_targets=(convert content_coding path_rules charset_names table_load log registry_script)

fuzz_smoke() {
    echo "== fuzz ${#fuzz_targets[@]} targets, 25 s each"
    cmake --preset fuzz >/dev/null
    cmake --build --preset fuzz -j "$jobs" >build/fuzz/build.log 2>&1 ||
        { tail -n 40 build/fuzz/build.log; return 1; }
    local name log
    for name in "${fuzz_targets[@]}"; do
        log=build/fuzz/$name.log
        mkdir -p "build/fuzz/corpus/$name"
        nice -n 19 "build/fuzz/fuzz/${name}_fuzz" -max_total_time=25 -print_final_stats=1 \
            -artifact_prefix=build/fuzz/ "build/fuzz/corpus/$name" "fuzz/corpus/$name" \
            >"$log" 2>&1 || { tail -n 40 "$log"; return 1; }
        echo "$name: $(sed -n 's/^stat::number_of_executed_units: *//p' "$log") executions"
    done
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
