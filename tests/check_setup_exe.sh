#!/usr/bin/env bash
# Reads the built setup.exe as a file: a page-aligned, large-address-aware
# 32-bit GUI program importing only DLLs every Windows has, asking for the
# invoker's rights, with its resources (the dialog and version information
# field by field) in U.S. English.
set -euo pipefail
exe=$1
fail() { echo "setup.exe: $*" >&2; exit 1; }

headers=$(i686-w64-mingw32-objdump -p "$exe")
grep -q 'file format pei-i386' <<<"$headers" && grep -qE '^Magic\s+010b\s+\(PE32\)' <<<"$headers" || fail "not PE32, i386"
grep -qE '^Subsystem\s+00000002\s+\(Windows GUI\)' <<<"$headers" || fail "not a GUI program"
# Sections at page boundaries in the file, so that Wine maps the program
# rather than copying it, payloads and all, into private memory.
grep -qE '^FileAlignment\s+00001000$' <<<"$headers" || fail "its sections are not page-aligned in the file"
# All payloads are decoded into memory at once: on 64-bit Windows it may
# use 4 GB of address space.
grep -q '^	large address aware$' <<<"$headers" || fail "not large-address-aware"
# Only Windows' known DLLs, which the loader takes from the system folder
# whatever lies beside the program; comctl32, ole32 and shell32 the program
# loads itself, from there, when it needs them.
for dll in $(sed -nE 's/^\s*DLL Name: (.*)$/\1/p' <<<"$headers"); do
    [[ ${dll^^} =~ ^(KERNEL32|USER32|GDI32|MSVCRT)\.DLL$ ]] || fail "imports $dll"
done
grep -aq '<requestedExecutionLevel level="asInvoker" uiAccess="false"/>' "$exe" || fail "asks for more than the invoker's rights"
! grep -aqE 'supportedOS|dependentAssembly' "$exe" || fail "its manifest declares an OS or the common controls 6"

resources=$(i686-w64-mingw32-windres -i "$exe" -O rc)
grep -q 'Name: "LOGO"' <<<"$resources" || fail "no logo"  # the payloads: lzari's tests
grep -q '^/\* Type: group icon' <<<"$resources" || fail "no icons"
[[ -z $(grep '^LANGUAGE' <<<"$resources" | grep -v '^LANGUAGE 9, 1$') ]] || fail "a resource is not U.S. English"
diff <(sed -n '/^"SETUP" DIALOG/,/^END/p' <<<"$resources") "$(dirname "$0")/data/dialog-template.rc" ||
    fail "the dialog template differs from tests/data/dialog-template.rc"
diff <(sed -n '/^1 VERSIONINFO/,/^END/p' <<<"$resources") "$(dirname "$0")/data/version-info.rc" ||
    fail "the version information differs from tests/data/version-info.rc"
echo "setup.exe: PE32 GUI, page-aligned, large-address-aware, imports KERNEL32 USER32 GDI32 MSVCRT, asInvoker, resources, dialog and version information as they should be"
