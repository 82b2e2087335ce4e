#!/usr/bin/env bash
# Prepares a Debian 12 machine (as root) to build and test every preset:
# Debian packages, and libbz2 cross-built for each MinGW target from Debian's
# bzip2 source package. Safe to run again: it skips what is already done.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
deps="$root/build/deps"

packages=(
    cmake ninja-build g++ libbz2-dev googletest libbenchmark-dev
    g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix mingw-w64-tools
    wine wine64 libwine-dev clang python3 dpkg-dev coreutils icu-devtools
    libexpat1-dev
)

log() { printf 'setup: %s\n' "$*" >&2; }

missing_packages() {
    local package
    for package in "${packages[@]}"; do
        dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'ok installed' ||
            printf '%s\n' "$package"
    done
}

install_packages() {
    local missing
    missing=$(missing_packages)
    if [ -z "$missing" ]; then
        log "Debian packages already installed"
        return
    fi
    log "installing: $(echo $missing)"
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    # shellcheck disable=SC2086
    apt-get install -y -qq --no-install-recommends $missing >/dev/null
}

# apt-get source needs a deb-src entry; derive one from the configured archive.
ensure_deb_src() {
    if grep -rqsE '^(deb-src|Types:.*deb-src)' /etc/apt/sources.list /etc/apt/sources.list.d/; then
        return
    fi
    log "adding deb-src entries beside the configured Debian archive"
    if [ -f /etc/apt/sources.list.d/debian.sources ]; then
        sed -e 's/^Types:.*/Types: deb-src/' /etc/apt/sources.list.d/debian.sources \
            >/etc/apt/sources.list.d/tarnix-deb-src.sources
    elif [ -f /etc/apt/sources.list ]; then
        grep -E '^deb ' /etc/apt/sources.list | sed 's/^deb /deb-src /' \
            >/etc/apt/sources.list.d/tarnix-deb-src.list
    else
        echo "setup: no Debian archive is configured" >&2
        exit 1
    fi
    apt-get update -qq
}

fetch_bzip2_source() {
    local tree
    tree=$(find "$deps/src" -maxdepth 1 -type d -name 'bzip2-*' 2>/dev/null | head -n 1)
    if [ -n "$tree" ] && [ -f "$tree/bzlib.c" ]; then
        printf '%s\n' "$tree"
        return
    fi
    ensure_deb_src
    mkdir -p "$deps/src"
    (cd "$deps/src" && apt-get source -qq bzip2 >/dev/null 2>&1)
    find "$deps/src" -maxdepth 1 -type d -name 'bzip2-*' | head -n 1
}

build_bzip2_for() {
    local triplet=$1 tree=$2
    local prefix="$deps/$triplet"
    if [ -f "$prefix/lib/libbz2.a" ] && [ -f "$prefix/include/bzlib.h" ]; then
        log "libbz2 for $triplet already built"
        return
    fi
    log "building libbz2 for $triplet"
    local objects="$prefix/obj"
    mkdir -p "$objects" "$prefix/lib" "$prefix/include"
    local unit
    for unit in blocksort huffman crctable randtable compress decompress bzlib; do
        "$triplet-gcc-posix" -O2 -D_FILE_OFFSET_BITS=64 -c "$tree/$unit.c" -o "$objects/$unit.o"
    done
    rm -f "$prefix/lib/libbz2.a"
    "$triplet-ar" rcs "$prefix/lib/libbz2.a" "$objects"/*.o
    cp "$tree/bzlib.h" "$prefix/include/"
}

install_packages
tree=$(fetch_bzip2_source)
if [ -z "$tree" ]; then
    echo "setup: could not fetch Debian's bzip2 source package" >&2
    exit 1
fi
build_bzip2_for x86_64-w64-mingw32 "$tree"
build_bzip2_for i686-w64-mingw32 "$tree"
log "ready"
