#!/bin/bash
# Times the component classes, driven by component_driver, against the tools a user
# would otherwise reach for, on the same data in one run: each side a new process per
# run, best of three, each run started cold (page cache dropped when we may, else both
# sides run warm and the output says so). Every pair's outputs are checked equal, so a
# fast wrong answer fails the run. Prints each pair's best times and the ratio
# ours/peer (below 1: ours is faster).
#
# Usage: bench/compare_component.sh [--scale F] [--keep] [--data DIR] [--build DIR]
#   --scale F   multiplies every data size (and the part size), e.g. 0.25 for a quick run
#   --keep      leaves the data in place
#   --data DIR  where the data goes (default build/bench-data/component); same disk
#   --build DIR the native build directory (default build/native)
# RUNS (default 3) sets how many times each side runs.
set -euo pipefail

scale=1
keep=0
data_dir=build/bench-data/component
build_dir=build/native
runs=${RUNS:-3}
while [ $# -gt 0 ]; do
    case $1 in
    --scale) scale=$2; shift 2 ;;
    --keep) keep=1; shift ;;
    --data) data_dir=$2; shift 2 ;;
    --build) build_dir=$2; shift 2 ;;
    *) echo "usage: $0 [--scale F] [--keep] [--data DIR] [--build DIR]" >&2; exit 2 ;;
    esac
done

driver=$(realpath "$build_dir/bench/component_driver")
if [ ! -x "$driver" ]; then
    echo "compare_component: $driver not found; build the target component_driver first" >&2
    exit 1
fi

scaled() { awk -v n="$1" -v s="$scale" 'BEGIN { printf "%d", n * s }'; }
MiB=1048576
copy_size=$(scaled $((256 * MiB)))
split_size=$(scaled $((1024 * MiB)))
part_size=$(scaled $((100 * MiB)))
text_size=$(scaled $((256 * MiB)))
dir_count=$(scaled 1000)
files_per_dir=100

mkdir -p "$data_dir"
data_dir=$(realpath "$data_dir")
if [ "$keep" -eq 0 ]; then
    trap 'rm -rf "$data_dir"' EXIT
fi
cd "$data_dir"

# Cold starts need root; a failed attempt means both sides run warm.
if sync && (echo 3 >/proc/sys/vm/drop_caches) 2>/dev/null; then
    cache_mode="cold (page cache dropped before every run)"
    make_cold() { sync && echo 3 >/proc/sys/vm/drop_caches; }
else
    cache_mode="warm (page cache could not be dropped; both sides alike)"
    make_cold() { sync; }
fi

# --- data ------------------------------------------------------------------------

echo "preparing data in $data_dir"
head -c "$copy_size" /dev/urandom >random.bin
head -c "$split_size" /dev/urandom >split.bin

# windows-1252 text: printable ASCII, the letters 0xE0-0xFF and a newline in 64 bytes.
head -c "$text_size" /dev/urandom |
    LC_ALL=C tr '\000-\377' '\n\n\n\n\040-\176\040-\176\340-\377\340-\377' >cp1252.txt

# The string to replace and its replacement hold sed's special characters on purpose.
find_text='a.b*c[d]^$/e\f'
repl_text='R&\1/x'
{
    for _ in $(seq 200); do
        head -c 3000 /dev/urandom | base64 -w 76
        printf '%s\n' "$find_text"
    done
} >chunk.txt
chunk_size=$(stat -c %s chunk.txt)
for _ in $(seq $(((text_size + chunk_size - 1) / chunk_size))); do cat chunk.txt; done >replace.txt
truncate -s "$text_size" replace.txt
rm chunk.txt

mkdir tree
for ((d = 0; d < dir_count; d++)); do
    mkdir "tree/d$d"
    for ((f = 0; f < files_per_dir; f++)); do
        if ((f % 2)); then printf '%*s' "$f" '' >"tree/d$d/f$f"; else : >"tree/d$d/f$f"; fi
    done
done

# --- timing ----------------------------------------------------------------------

# Runs the command RUNS times after "prepare" (a shell command) and a cold start;
# prints the best wall time in nanoseconds.
best_ns() {
    local prepare=$1 best=0 start end elapsed
    shift
    for _ in $(seq "$runs"); do
        eval "$prepare"
        make_cold
        start=$(date +%s%N)
        "$@"
        end=$(date +%s%N)
        elapsed=$((end - start))
        if [ "$best" -eq 0 ] || [ "$elapsed" -lt "$best" ]; then best=$elapsed; fi
    done
    echo "$best"
}

report() {
    awk -v n="$1" -v o="$2" -v p="$3" \
        'BEGIN { printf "%-12s ours %8.3f s  peer %8.3f s  ours/peer %5.2f\n", n, o / 1e9, p / 1e9, o / p }'
}

run_to() { "${@:2}" >"$1"; }

echo "page cache: $cache_mode; best of $runs"

# copy
ours=$(best_ns 'rm -f out.bin' "$driver" copy random.bin out.bin)
cmp random.bin out.bin
peer=$(best_ns 'rm -f out.bin' cp random.bin out.bin)
cmp random.bin out.bin
rm out.bin
report "copy" "$ours" "$peer"

# split and reassemble
ours=$(best_ns 'rm -rf ours-parts && mkdir ours-parts' "$driver" split split.bin ours-parts "$part_size")
peer=$(best_ns 'rm -rf peer-parts && mkdir peer-parts' split -b "$part_size" split.bin peer-parts/part)
mapfile -t peer_parts < <(ls peer-parts)
ours_count=$(find ours-parts -type f | wc -l)
if [ "$ours_count" -ne "${#peer_parts[@]}" ]; then
    echo "split: $ours_count parts from ours, ${#peer_parts[@]} from split" >&2
    exit 1
fi
for i in "${!peer_parts[@]}"; do cmp "ours-parts/part$((i + 1)).dat" "peer-parts/${peer_parts[$i]}"; done
report "split" "$ours" "$peer"

ours=$(best_ns 'rm -f out.bin' "$driver" reassemble ours-parts out.bin)
cmp split.bin out.bin
peer=$(best_ns 'rm -f out.bin' run_to out.bin cat "${peer_parts[@]/#/peer-parts/}")
cmp split.bin out.bin
rm -rf out.bin ours-parts peer-parts
report "reassemble" "$ours" "$peer"

# base64
ours=$(best_ns 'rm -f ours.b64' "$driver" base64 random.bin ours.b64)
peer=$(best_ns 'rm -f peer.b64' run_to peer.b64 base64 -w0 random.bin)
cmp ours.b64 peer.b64
rm ours.b64 peer.b64
report "base64" "$ours" "$peer"

# transcode
ours=$(best_ns 'rm -f ours.txt' "$driver" transcode cp1252.txt ours.txt)
peer=$(best_ns 'rm -f peer.txt' run_to peer.txt iconv -f CP1252 -t UTF-8 cp1252.txt)
cmp ours.txt peer.txt
rm ours.txt peer.txt
report "transcode" "$ours" "$peer"

# replace: each run edits a fresh copy in place
sed_find=$(printf '%s' "$find_text" | sed 's/[]\/$*.^[]/\\&/g')
sed_repl=$(printf '%s' "$repl_text" | sed 's/[\/&]/\\&/g')
ours=$(best_ns 'cp replace.txt ours.txt' "$driver" replace ours.txt "$find_text" "$repl_text")
peer=$(best_ns 'cp replace.txt peer.txt' sed -i "s/$sed_find/$sed_repl/g" peer.txt)
cmp ours.txt peer.txt
if cmp -s ours.txt replace.txt; then
    echo "replace: nothing was replaced" >&2
    exit 1
fi
rm ours.txt peer.txt
report "replace" "$ours" "$peer"

# walk: the orders differ (breadth-first against depth-first) and find lists the base
# directory itself, so the sorted paths and the total size are compared.
ours=$(best_ns : run_to ours.lst "$driver" walk tree)
peer=$(best_ns : run_to peer.lst find tree -printf '%s %p\n')
if ! diff <(cut -d' ' -f2- ours.lst | tr '\\' / | sed "s|^$data_dir/||" | sort) \
    <(find tree -mindepth 1 -printf '%p\n' | sort) >/dev/null; then
    echo "walk: the paths differ from find's" >&2
    exit 1
fi
ours_bytes=$(awk '{ s += $1 } END { print s }' ours.lst)
peer_bytes=$(find tree -type f -printf '%s\n' | awk '{ s += $1 } END { print s }')
if [ "$ours_bytes" != "$peer_bytes" ]; then
    echo "walk: $ours_bytes bytes listed, the files hold $peer_bytes" >&2
    exit 1
fi
rm ours.lst peer.lst
report "walk" "$ours" "$peer"

echo
echo "sizes: copy/base64 $copy_size B, split $split_size B in parts of $part_size B," \
    "text $text_size B, tree $((dir_count * files_per_dir)) files in $dir_count directories"
echo "page cache: $cache_mode"
