#!/usr/bin/env bash
# Builds lzari and setup.exe once more, from the same sources in a fresh
# folder elsewhere, and compares them byte for byte with the tree's own:
# nothing of the time or the place of a build may enter them.
#   reproducible_build.sh SOURCE_DIR LZARI SETUP_EXE
set -euo pipefail
source=$1 lzari=$2 setup=$3
scratch=$(mktemp -d /tmp/reproducible-XXXXXX)
trap 'rm -rf "$scratch"' EXIT

cmake -S "$source" -B "$scratch/host" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$scratch/host" --target lzari payload_checks product_tool >/dev/null
cmake -S "$source" -B "$scratch/win32" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$source/cmake/mingw-i686.cmake" \
    -DLZARI_TOOL="$scratch/host/tools/lzari" >/dev/null
cmake --build "$scratch/win32" --target setup >/dev/null

status=0
for pair in "$lzari $scratch/host/tools/lzari" "$setup $scratch/win32/wizard/setup.exe"; do
    set -- $pair
    if cmp -s "$1" "$2"; then
        echo "same bytes: $(basename "$1") ($(stat -c %s "$1") bytes)"
    else
        echo "differs: $1 and $2 ($(cmp "$1" "$2" | head -1))" >&2
        status=1
    fi
done
exit $status
