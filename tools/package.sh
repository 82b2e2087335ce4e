#!/usr/bin/env bash
# Makes build/dist/TarnixFileAccess-<version>.zip for Windows users: the 64-bit and
# 32-bit DLLs, the example scripts, a short text on registering, and SHA256SUMS.
# The version is the project version in CMakeLists.txt, which also fills the DLL's
# version block. Builds the two DLLs first (nothing to do when they are current).
# Prints the path of the zip.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
version=$(sed -n 's/^project(TarnixFileAccess VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
[ -n "$version" ] || { echo "package: no project version in CMakeLists.txt" >&2; exit 1; }

name=TarnixFileAccess-$version
stage=build/dist/$name
rm -rf "$stage" "build/dist/$name.zip"
mkdir -p "$stage/examples"
for arch in x64 x86; do
    preset=windows-$arch
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset" -j "$(nproc)" --target TarnixFileAccess >&2
    built=$(sed -n 's/^#define TX_VERSION_STRING "\(.*\)"/\1/p' \
        "build/$preset/automation/gen/automation/Version.h")
    if [ "$built" != "$version" ]; then
        echo "package: build/$preset has version $built, not $version" >&2
        exit 1
    fi
    mkdir -p "$stage/$arch"
    triplet=x86_64-w64-mingw32
    [ "$arch" = x86 ] && triplet=i686-w64-mingw32
    # Debug information is for the build tree; users get the code alone.
    "$triplet-strip" --strip-debug -o "$stage/$arch/TarnixFileAccess.dll" \
        "build/$preset/automation/TarnixFileAccess.dll"
done
cp examples/*.vbs examples/*.js "$stage/examples/"
# Windows line ends for the text, which Notepad may be the first to open.
sed 's/$/\r/' examples/README.txt >"$stage/README.txt"
(cd "$stage" && find . -type f ! -name SHA256SUMS -printf '%P\n' | sort | xargs sha256sum >SHA256SUMS)

# The zip holds one folder named after the package.
python3 - "$stage" "build/dist/$name.zip" <<'EOF'
import os, sys, zipfile
stage, target = sys.argv[1], sys.argv[2]
top = os.path.basename(stage)
with zipfile.ZipFile(target, "w", zipfile.ZIP_DEFLATED) as archive:
    for folder, _, files in sorted(os.walk(stage)):
        for name in sorted(files):
            path = os.path.join(folder, name)
            archive.write(path, os.path.join(top, os.path.relpath(path, stage)))
EOF
echo "build/dist/$name.zip"
