#!/bin/bash
# Times our base64 and hex encoders against coreutils "base64 -w0" and
# "basenc --base16 -w0" on the same 64 MiB of random bytes, checks that the outputs are
# identical byte for byte, and prints the rates (MB = 10^6 bytes of input per second)
# and the speed ratio ours/coreutils (above 1: ours is faster).
#
# Ours runs three ways: the whole file encoded at once into memory (as the component
# does), the same with glibc putting the large blocks on transparent huge pages, and in
# 1 MiB pieces as a streaming tool like coreutils does. The encoder-alone rates leave
# out reading the file and writing the text.
#
# Usage: bench/compare_coreutils.sh [native build directory, default build/native]
# RUNS (default 5) sets how many times each program runs; the best time counts.
set -euo pipefail

build_dir=${1:-build/native}
runs=${RUNS:-5}
tool="$build_dir/bench/bench_encode_file"
if [ ! -x "$tool" ]; then
    echo "compare_coreutils: $tool not found; build the target bench_encode_file first" >&2
    exit 1
fi
for program in base64 basenc; do
    if ! command -v "$program" >/dev/null; then
        echo "compare_coreutils: coreutils $program is not installed" >&2
        exit 1
    fi
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
input="$work/random.bin"
size=67108864
piece=1048576
head -c "$size" /dev/urandom >"$input"

# A whole 64 MiB file in memory means touching some 150 MB of fresh pages; glibc can put
# large blocks on transparent huge pages, which cuts the page faults 512-fold.
huge_pages=GLIBC_TUNABLES=glibc.malloc.hugetlb=1

# Same bytes first (coreutils' base16 is upper case too).
"$tool" base64 "$input" --quiet >"$work/ours.b64"
"$tool" base64 "$input" --piece "$piece" --quiet >"$work/ours-pieces.b64"
base64 -w0 "$input" >"$work/coreutils.b64"
"$tool" hex "$input" --quiet >"$work/ours.hex"
"$tool" hex "$input" --piece "$piece" --quiet >"$work/ours-pieces.hex"
basenc --base16 -w0 "$input" >"$work/coreutils.hex"
cmp "$work/ours.b64" "$work/coreutils.b64"
cmp "$work/ours-pieces.b64" "$work/coreutils.b64"
cmp "$work/ours.hex" "$work/coreutils.hex"
cmp "$work/ours-pieces.hex" "$work/coreutils.hex"
rm -f "$work"/ours* "$work"/coreutils.*
echo "outputs identical: base64 $(((size + 2) / 3 * 4)) bytes, hex $((size * 2)) bytes"

# Best wall time in nanoseconds of a command whose output goes to /dev/null.
best_ns() {
    local best=0 start end elapsed
    for _ in $(seq "$runs"); do
        start=$(date +%s%N)
        "$@" >/dev/null
        end=$(date +%s%N)
        elapsed=$((end - start))
        if [ "$best" -eq 0 ] || [ "$elapsed" -lt "$best" ]; then
            best=$elapsed
        fi
    done
    echo "$best"
}

# Best encoder-alone rate that bench_encode_file reports for its arguments.
best_encoder_rate() {
    for _ in $(seq "$runs"); do
        "$tool" "$@" 2>&1 >/dev/null | awk '{ print $(NF - 1) }'
    done | sort -g | tail -1
}

seconds() { awk -v ns="$1" 'BEGIN { printf "%.3f", ns / 1e9 }'; }
rate() { awk -v n="$size" -v ns="$1" 'BEGIN { printf "%.1f", n / (ns / 1e9) / 1e6 }'; }
ratio() { awk -v ours="$1" -v theirs="$2" 'BEGIN { printf "%.2f", theirs / ours }'; }

row() { # label nanoseconds [coreutils nanoseconds]
    printf '%-40s %7s s %8s MB/s' "$1" "$(seconds "$2")" "$(rate "$2")"
    if [ $# -gt 2 ]; then
        printf '   ours/coreutils %s' "$(ratio "$2" "$3")"
    fi
    printf '\n'
}

report() { # encoding coreutils-label coreutils-command...
    local encoding=$1 core_label=$2
    shift 2
    local core
    core=$(best_ns "$@")
    row "$core_label" "$core"
    row "ours $encoding, whole file" "$(best_ns "$tool" "$encoding" "$input" --quiet)" "$core"
    row "ours $encoding, whole file, huge pages" \
        "$(best_ns env "$huge_pages" "$tool" "$encoding" "$input" --quiet)" "$core"
    row "ours $encoding, 1 MiB pieces" \
        "$(best_ns "$tool" "$encoding" "$input" --piece "$piece" --quiet)" "$core"
    printf '%-40s %19s MB/s\n' "ours $encoding, encoder alone, whole file" \
        "$(best_encoder_rate "$encoding" "$input")"
    printf '%-40s %19s MB/s\n' "ours $encoding, encoder alone, pieces" \
        "$(best_encoder_rate "$encoding" "$input" --piece "$piece")"
}

echo "64 MiB of random bytes, output to /dev/null, best of $runs runs:"
report base64 "coreutils base64 -w0" base64 -w0 "$input"
report hex "coreutils basenc --base16 -w0" basenc --base16 -w0 "$input"
