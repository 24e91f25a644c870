#!/usr/bin/env bash
# Peak memory of `lzari unpack` on the largest payload's size of executable
# data, against the limit of its output size plus 1 MB. The peak is the
# resident set above that of a run that unpacks almost nothing (the program,
# its libraries and the C++ runtime), so that it counts what unpacking adds.
set -euo pipefail
lzari=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

bash "$(dirname "$0")/make_sample.sh" "$work/QRV.EXE"
printf 'x' >"$work/tiny"
"$lzari" pack --v1 "$work/QRV.EXE" "$work/QRV.EXE.lz"
"$lzari" pack --v1 "$work/tiny" "$work/tiny.lz"

peak() { /usr/bin/time -f %M "$@" 2>&1 >/dev/null | tail -1; }
baseline=$(peak "$lzari" unpack "$work/tiny.lz" "$work/tiny.out")
unpack=$(peak "$lzari" unpack "$work/QRV.EXE.lz" "$work/QRV.EXE.out")
cmp -s "$work/QRV.EXE" "$work/QRV.EXE.out" || { echo "unpack did not restore the file" >&2; exit 1; }

output_kb=$(( $(stat -c %s "$work/QRV.EXE") / 1024 ))
packed_kb=$(( $(stat -c %s "$work/QRV.EXE.lz") / 1024 ))
added=$(( unpack - baseline ))
limit=$(( output_kb + 1024 ))
echo
echo "lzari unpack of ${packed_kb} KB into ${output_kb} KB: peak resident set ${unpack} KB," \
     "${added} KB above an empty unpack (${baseline} KB); limit output + 1 MB = ${limit} KB:" \
     "$([[ $added -le $limit ]] && echo within || echo OVER)"
