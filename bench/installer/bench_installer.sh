#!/usr/bin/env bash
# make bench-installer: setup.exe against an NSIS installer (LZMA, solid) of
# the same five files doing the same work, in one run: the installers'
# sizes, the time from starting each to its first window, to its folder
# prompt, and from the click on install to done, and its memory at the
# prompt; setup.exe's size without its payloads, and its code and data
# beside its logo and icons against its 64 KiB target; and, from traced
# runs, where setup.exe's start-up time goes.
#
#   bench_installer.sh WIN32_BUILD_FOLDER [REPETITIONS]
#
# Runs under a display, with the project's Wine server started (make
# bench-installer sees to both, as make test does).
set -euo pipefail
win32=$(cd "$1" && pwd)
repetitions=${2:-5}
root=$(cd "$(dirname "$0")/../.." && pwd)
out=$root/build/bench-installer
if ! bash "$root/scripts/wine-run.sh" --runs-32-bit; then
    echo "this machine runs no 32-bit programs, and both installers are 32-bit Windows programs: make"
    echo "bench-installer cannot run here. Where 32-bit programs run, it times setup.exe against an NSIS"
    echo "installer (LZMA, solid) of the same files: their sizes, the time to the first window, to the folder"
    echo "prompt and from the click on install to done, and memory at the prompt, for a product of the real"
    echo "product's sizes, for the stand-ins and for a 42.6 MB product; then where setup.exe's start-up time goes."
    exit 0
fi

# bench PROGRAM PAYLOAD-LIST TITLE: one product's table.
bench() {
    local setup=$1 payloads=$2 stage=$out/stage nsis=$out/qrv-nsis-setup.exe
    # The files as setup.exe carries them: from the payload list the build
    # wrote from the product's manifest, under the names setup.exe writes,
    # each with its stored time (UTC) as its modification time, which NSIS
    # keeps (SetDateSave).
    rm -rf "$stage"
    mkdir -p "$stage"
    while IFS=$'\t' read -r source time installed; do
        cp "$source" "$stage/$installed"
        touch -d "$time UTC" "$stage/$installed"
    done < <(sed -nE 's/^payload\("[^"]+" +"([^"]+)" +"([^"]+)" +"([^"]+)"\).*/\1\t\2\t\3/p' "$payloads")
    makensis -V2 -DSTAGE="$stage" -DOUTFILE="$nsis" "$root/bench/installer/qrv.nsi"

    # NSIS asks the shell for the desktop, which Wine takes from the
    # prefix's own profile, not from USERPROFILE (scripts/wine-run.sh makes
    # that profile's Desktop a plain folder inside the prefix; Wine links it
    # to $HOME). Its Start-Menu group goes to the profile's AppData, inside too.
    echo "$3: timing $repetitions runs of each, alternating, after one untimed run of each:"
    # Through a file, not a pipe: the installers the driver starts inherit
    # its output and could hold a pipe open.
    "$root/scripts/wine-run.sh" "$win32/bench/installer_timing.exe" "Z:$setup" "Z:$nsis" "$repetitions" \
        >"$out/timing.txt"
    cp "$out/timing.txt" "$out/timing-$4.txt"
    echo
    i686-w64-mingw32-strip -o "$out/setup-stripped.exe" "$setup"
    python3 "$root/bench/installer/installer_report.py" "$setup" "$nsis" "$payloads" "$out/timing.txt" \
        "$repetitions" "$out/setup-stripped.exe"
    echo
}

# The headline: a product of the real product's sizes (3,279,426 bytes in
# five files); then the stand-in product the build carries (33,002 bytes);
# then a large one.
bench "$win32/bench/real_size_setup.exe" "$win32/products/real_size_setup/product_payloads.cmake" \
    "payloads of the real sizes" real
bench "$win32/wizard/setup.exe" "$win32/products/setup/product_payloads.cmake" "the stand-in payloads" standin
# A large product (42.6 MB of distinct payloads), whose time to the prompt
# is the decoder's.
bench "$win32/bench/large_setup_bench.exe" "$win32/products/large_setup_bench/product_payloads.cmake" \
    "a large product (42.6 MB of distinct payloads)" large

# Memory: the real-size product's peak beyond the stand-in's (a run with next
# to nothing to decode), against what its payloads decode to, plus 1 MB.
peak() { awk '$1 == "memory" { print $2 }' "$out/timing-$1.txt"; }
awk -v real="$(peak real)" -v empty="$(peak standin)" -v decoded=$((3279426 - 33002)) 'BEGIN {
    printf "peak private memory: %.0f B beyond the stand-in run, for %d B more decoded payloads: %s\n",
           real - empty, decoded, real - empty <= decoded + 1048576 ? "within 1 MB of them (met)" : "more than 1 MB beyond them (not met)" }'

# Where the real-size product's start-up time goes, from traced runs.
echo
bash "$root/bench/installer/startup_trace.sh" "$win32" "$win32/bench/real_size_setup.exe" "$repetitions"
