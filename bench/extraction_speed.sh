#!/usr/bin/env bash
# The extraction's pool against one worker, to the folder prompt: each
# product's setup.exe against its build held to one worker, in alternating
# rounds, under Wine. The Windows build that this machine runs: the 32-bit
# program where it runs 32-bit programs, else the 64-bit build of the same
# sources (said so: a stand-in for the program users run).
#   extraction_speed.sh WINDOWS_BUILD_FOLDER [REPETITIONS]
set -euo pipefail
build=$(cd "$1" && pwd) repetitions=${2:-7}
here=$(cd "$(dirname "$0")" && pwd)
run() { bash "$here/../scripts/wine-run.sh" "$@" | tr -d '\r'; }
echo
echo "the folder prompt with the extraction on every processor ($(nproc) here) against one worker," \
     "$repetitions alternating rounds, medians ($(basename "$build") build):"
for product in many_setup_bench:"40 payloads, 41.7 MB" large_setup_bench:"5 payloads, 42.6 MB, the largest 20 MB" \
               real_size_setup:"the real-size product, 3.3 MB"; do
    name=${product%%:*} what=${product#*:}
    times=$(run "$build/bench/prompt_timing.exe" "$repetitions" "Z:$build/bench/$name.exe" \
                "Z:$build/bench/${name}_one_worker.exe")
    awk -v what="$what" 'NR == 1 { pool = $1 } NR == 2 { one = $1 }
        END { printf "  %-40s %.3f s against %.3f s: %.2fx shorter\n", what, pool, one, one / pool }' <<<"$times"
done
