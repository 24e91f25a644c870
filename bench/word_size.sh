#!/usr/bin/env bash
# The decoder's 32-bit arithmetic against the 64-bit host build's, on an
# executable and on text, in rounds that alternate the builds so that each
# meets the same moments of load; each figure is the median of the rounds'
# ratios. The 32-bit program itself (its codec built for Windows, under
# Wine) where this machine runs 32-bit programs; everywhere, the host build
# forced to the 32-bit arithmetic: a stand-in that runs the same code with
# 64-bit registers, more of them, and 64-bit addresses, so it says how the
# 32-bit branches compare, not how fast the 32-bit program is.
#   word_size.sh HOST_TIMING STAND_IN_TIMING WIN32_TIMING.exe [ROUNDS]
set -euo pipefail
host_timing=$1 stand_in_timing=$2 win32_timing=$3 rounds=${4:-7}
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
bash "$here/make_sample.sh" "$work/executable"
cat /usr/include/*.h /usr/include/*/*.h 2>/dev/null | head -c 1048576 >"$work/text" || true

builds=("host" "stand-in")
if bash "$here/../scripts/wine-run.sh" --runs-32-bit; then
    builds+=("32-bit")
else
    echo
    echo "this machine runs no 32-bit programs: the 32-bit program is not timed here, only its stand-in"
fi
speed() {  # BUILD SAMPLE: decoding MB/s, best of 3
    case $1 in
        host) "$host_timing" "$work/$2" 3 decode ;;
        stand-in) "$stand_in_timing" "$work/$2" 3 decode ;;
        32-bit) bash "$here/../scripts/wine-run.sh" "$win32_timing" "Z:$work/$2" 3 decode | tr -d '\r' ;;
    esac | sed -E 's/^decode ([0-9.]+) MB.*/\1/'
}
echo
echo "decoding on $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //'), $rounds alternating rounds:"
for sample in executable text; do
    for ((round = 0; round < rounds; round++)); do
        line=""
        for build in "${builds[@]}"; do line+=" $(speed "$build" "$sample")"; done
        echo "$line"
    done >"$work/$sample.speeds"
    awk -v sample="$sample" -v n="${#builds[@]}" '
        { for (i = 1; i <= n; i++) speed[i, NR] = $i }
        function median(values, count,   i, j, t) {
            for (i = 1; i <= count; i++) for (j = i + 1; j <= count; j++)
                if (values[j] < values[i]) { t = values[i]; values[i] = values[j]; values[j] = t }
            return count % 2 ? values[(count + 1) / 2] : (values[count / 2] + values[count / 2 + 1]) / 2
        }
        END {
            for (r = 1; r <= NR; r++) { host[r] = speed[1, r]; standIn[r] = speed[2, r] / speed[1, r]; real[r] = speed[3, r] / speed[1, r] }
            printf "  %-10s 64-bit host %.1f MB/s; 32-bit arithmetic on the host (stand-in) %.2fx", sample, median(host, NR), median(standIn, NR)
            if (n > 2) printf "; the 32-bit program under Wine %.2fx", median(real, NR)
            printf "\n"
        }' "$work/$sample.speeds"
done
