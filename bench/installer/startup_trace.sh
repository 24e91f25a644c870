#!/usr/bin/env bash
# Traces a setup program's start-up under Wine, RUNS times (after one
# untraced run), up to its folder prompt, and says where the time goes
# (startup_trace.py reads the traces).
#
#   startup_trace.sh WIN32_BUILD_FOLDER SETUP.EXE [RUNS]
#
# Runs under a display, with the project's Wine server started (make
# bench-installer sees to both). Tracing costs time of its own: the figures
# are a little above the untraced timings.
set -euo pipefail
win32=$(cd "$1" && pwd)
setup=$2
runs=${3:-5}
root=$(cd "$(dirname "$0")/../.." && pwd)
out=$root/build/bench-installer/traces
export WINEPREFIX=${WINEPREFIX:-$root/build/wine-prefix}
walk() { "$root/scripts/wine-run.sh" "$win32/wizard_walk.exe" "$@"; }
rm -rf "$out"
mkdir -p "$out"
for run in $(seq 0 "$runs"); do
    rm -rf "$WINEPREFIX/drive_c/Arvendal"
    # Through a file, not a pipe: the program started holds the walk's
    # output for as long as it runs.
    WINEDEBUG=+timestamp,+pid,+tid,+loaddll,+debugstr walk launch "Z:$setup" 2>"$out/run-$run.txt"
    walk prompt
    walk close
done
rm "$out/run-0.txt"
python3 "$root/bench/installer/startup_trace.py" "$out"/run-*.txt
