#!/usr/bin/env bash
# The codec's 32-bit Windows build (as setup.exe carries it, under Wine)
# against its 64-bit host build, on the same sample in the same run.
set -euo pipefail
host_timing=$1
win32_timing=$2
here=$(cd "$(dirname "$0")" && pwd)
if ! bash "$here/../scripts/wine-run.sh" --runs-32-bit; then
    echo
    echo "this machine runs no 32-bit programs: the 32-bit Windows build's codec is not timed here"
    exit 0
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
bash "$here/make_sample.sh" "$work/QRV.EXE"

echo
echo "the codec on 2,873,856 bytes of executable data, 64-bit host build against 32-bit Windows build (Wine):"
host=$("$host_timing" "$work/QRV.EXE")
win32=$("$here/../scripts/wine-run.sh" "$win32_timing" "Z:$work/QRV.EXE" | tr -d '\r')
echo "$host" | sed 's/^/  /'
echo "$win32" | sed 's/^/  /'
host=$(head -1 <<<"$host")
win32=$(head -1 <<<"$win32")
decode() { sed -E 's/.*decode ([0-9.]+) MB.*/\1/' <<<"$1"; }
awk -v a="$(decode "$win32")" -v b="$(decode "$host")" 'BEGIN { printf "  32-bit decoding runs at %.2fx the 64-bit speed\n", a / b }'
