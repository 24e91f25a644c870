#!/usr/bin/env bash
# Writes into FOLDER the five files of a product of the real product's
# sizes, from files every machine with the project's packages has:
# executable data for the two programs (2,873,856 and 270,608 bytes), text
# for the help files (130,843, 3,487 and 632 bytes); 3,279,426 bytes in all.
# Files already there are kept, so that a build does not repack them.
set -euo pipefail
folder=$1
mkdir -p "$folder"
lib=/usr/lib/x86_64-linux-gnu
texts=$(ls /usr/share/common-licenses/* | sort)
cut() {  # cut NAME SIZE SKIP FILE...: SIZE bytes after SKIP from the files in a row, over and over
    local name=$1 size=$2 skip=$3; shift 3
    [[ -s $folder/$name ]] && return
    # (head ends the pipe early: that is no failure)
    (set +o pipefail; for _ in 1 2 3 4 5 6 7 8; do cat "$@"; done 2>/dev/null | tail -c +$((skip + 1)) |
        head -c "$size" >"$folder/$name")
    [[ $(stat -c %s "$folder/$name") -eq $size ]] || { echo "make_real_payloads: too little data for $name" >&2; exit 1; }
}
cut QRV.EXE 2873856 0 "$lib/libstdc++.so.6" /usr/bin/bash "$lib/libc.so.6"
cut QRV.HLP 130843 0 $texts
cut DocReader.EXE 270608 1048576 "$lib/libc.so.6"
cut HELP.QRD 3487 200000 $texts
cut SHAPES.QRD 632 100000 $texts
