#!/usr/bin/env bash
# Writes into FOLDER the five files of a large product, 42,600,632 bytes of
# distinct data (nothing repeats, as in a real product of that size): the
# two programs from Wine's own DLLs (which the project's packages install),
# the help files from C headers. Files already there are kept.
set -euo pipefail
folder=$1
mkdir -p "$folder"
dlls=$(ls /usr/lib/i386-linux-gnu/wine/i386-windows/*.dll | sort)
headers=$(find /usr/include -name '*.h' | sort)
cut() {  # cut NAME SIZE SKIP FILE...: SIZE bytes after SKIP from the files in a row
    local name=$1 size=$2 skip=$3; shift 3
    [[ -s $folder/$name ]] && return
    (set +o pipefail; cat "$@" 2>/dev/null | tail -c +$((skip + 1)) | head -c "$size" >"$folder/$name")
    [[ $(stat -c %s "$folder/$name") -eq $size ]] || { echo "make_large_payloads: too little data for $name" >&2; exit 1; }
}
cut QRV.EXE 20000000 0 $dlls
cut DocReader.EXE 16000000 20000000 $dlls
cut QRV.HLP 4600000 0 $headers
cut HELP.QRD 2000000 4600000 $headers
cut SHAPES.QRD 632 6600000 $headers
