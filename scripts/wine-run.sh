#!/usr/bin/env bash
# Runs a Win32 program under Wine in the project's own prefix (never the
# user's), quietly and without the menu builder, creating the prefix on
# first use. WINEPREFIX may name another prefix (the tests for 32-bit
# prefixes do); without a display the caller provides one (make test runs
# the tests under Xvfb).
#
#   wine-run.sh PROGRAM.exe [ARGUMENTS...]
#   wine-run.sh --start         starts a server (and Wine's services) that stay
#   wine-run.sh --stop          ends the prefix's Wine server and programs
#   wine-run.sh --runs-32-bit   succeeds when this machine runs 32-bit programs
#
# A test run starts one server that stays for the whole run: a server that
# quits when its last program has ended can refuse a program that starts at
# that moment ("wine client error ... Connection reset by peer"). It is
# started apart from the tests, with its output going nowhere, because
# Wine's services inherit the output of the program that starts them, and
# a test runner waits until every holder of a test's output has closed it.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
export WINEPREFIX=${WINEPREFIX:-$here/build/wine-prefix}
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-"mscoree,mshtml=;winemenubuilder.exe=d"}
# PREFER_FOUND_DLLS (names, comma-separated): DLLs Wine takes from the search
# path before its own, as Windows takes any DLL that is not a known one.
[[ -z ${PREFER_FOUND_DLLS:-} ]] || WINEDLLOVERRIDES="$PREFER_FOUND_DLLS=n,b;$WINEDLLOVERRIDES"
# Some kernels run no 32-bit programs (booted with ia32_emulation=off):
# there Wine's 32-bit loader cannot start, and only 64-bit Windows programs
# run, through its 64-bit loader; make test then runs the Wine tests on a
# 64-bit build of the same sources.
if /usr/lib/wine/wine --version >/dev/null 2>&1; then
    wine=wine
else
    wine=/usr/lib/wine/wine64
    export WINELOADER=$wine
fi
if [[ ${1:-} == --runs-32-bit ]]; then
    [[ $wine == wine ]] && exit 0 || exit 1
fi
if [[ ${1:-} == --stop ]]; then
    wineserver -k 2>/dev/null || true
    exit 0
fi
# Wine links the profile's Desktop, Documents and the like to $HOME: plain
# folders in their place keep whatever runs in the prefix inside it. A
# drive D: (a folder of the prefix) is there for products installed on it.
prepare_prefix() {
    mkdir -p "$WINEPREFIX/drive_d"
    [[ -e $WINEPREFIX/dosdevices/d: ]] || ln -sfn ../drive_d "$WINEPREFIX/dosdevices/d:"
    local link
    for link in "$WINEPREFIX"/drive_c/users/*/{Desktop,Documents,Downloads,Music,Pictures,Videos}; do
        if [[ -L $link ]]; then
            rm -f "$link"
            mkdir -p "$link"
        fi
    done
}
starting=false
[[ ${1:-} == --start ]] && starting=true
if [[ ! -f "$WINEPREFIX/system.reg" ]]; then
    mkdir -p "$WINEPREFIX"
    # One creator at a time: tests may start together.
    exec 9>"$WINEPREFIX.lock"
    flock 9
    if [[ ! -f "$WINEPREFIX/system.reg" ]]; then
        "$wine" wineboot -i >/dev/null 2>&1 || true
        wineserver -w
        prepare_prefix
    fi
    flock -u 9
fi
if $starting; then
    prepare_prefix
    wineserver -p >/dev/null 2>&1 || true
    "$wine" cmd /c exit >/dev/null 2>&1 </dev/null
    exit 0
fi
exec "$wine" "$@"
