#!/usr/bin/env bash
# Runs a Win32 program under Wine in the project's own prefix (never the
# user's), quietly and without the menu builder, creating the prefix on
# first use. WINEPREFIX may name another prefix (the tests for 32-bit
# prefixes do); without a display the caller provides one (make test runs
# the tests under Xvfb).
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
export WINEPREFIX=${WINEPREFIX:-$here/build/wine-prefix}
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-"mscoree,mshtml=;winemenubuilder.exe=d"}
if [[ ! -f "$WINEPREFIX/system.reg" ]]; then
    mkdir -p "$WINEPREFIX"
    # One creator at a time: tests may start together.
    exec 9>"$WINEPREFIX.lock"
    flock 9
    if [[ ! -f "$WINEPREFIX/system.reg" ]]; then
        wineboot -i >/dev/null 2>&1 || true
        wineserver -w
    fi
    flock -u 9
fi
exec wine "$@"
