#!/usr/bin/env bash
# setup.exe for another product: build-product.sh MANIFEST HOST_BUILD JOBS.
# The manifest is checked first (a field the program could not honour is
# named in one line), then built in a folder of its own under build/ (or
# $PRODUCT_BUILD_ROOT), named after the manifest's folder. Done here rather
# than in the Makefile: make splits a path with a space in it, the shell
# keeps it whole.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
given=$1 host=$2 jobs=$3
if [ ! -e "$given" ]; then
    echo "make product: no manifest at $given" >&2
    exit 2
fi
manifest=$(realpath "$given")
tools=$(realpath "$host")/tools
"$tools/product_tool" "$manifest"

# The folder's name without the characters that build tools split paths on.
name=$(basename "$(dirname "$manifest")" | tr -c 'A-Za-z0-9._\n-' '_')
build=${PRODUCT_BUILD_ROOT:-$root/build}/product-$name
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" \
    -DLZARI_TOOL="$tools/lzari" -DPRODUCT="$manifest" >/dev/null
cmake --build "$build" -j "$jobs" --target setup
bash "$root/scripts/sign-setup.sh" "$build"
echo "setup.exe for $given: ${build#"$root"/}/wizard/setup.exe"
