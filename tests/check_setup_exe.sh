#!/usr/bin/env bash
# Reads the built setup.exe as a file: a 32-bit (PE32, i386) GUI program
# that imports only DLLs every Windows has, carrying its dialog, logo,
# icons and five payloads, all U.S. English.
set -euo pipefail
exe=$1
fail() { echo "setup.exe: $*" >&2; exit 1; }

headers=$(i686-w64-mingw32-objdump -p "$exe")
grep -q 'file format pei-i386' <<<"$headers" || fail "not an i386 PE file"
grep -qE '^Magic\s+010b\s+\(PE32\)' <<<"$headers" || fail "not PE32"
grep -qE '^Subsystem\s+00000002\s+\(Windows GUI\)' <<<"$headers" || fail "not a GUI program"

# Imports: only Windows' known DLLs, which the loader takes from the system
# folder whatever lies beside the program (no C++ runtime, libgcc or
# winpthread DLL; comctl32, ole32 and shell32 the program loads itself, when
# it needs them).
allowed='^(KERNEL32|USER32|GDI32|MSVCRT)\.DLL$'
while read -r dll; do
    [[ ${dll^^} =~ $allowed ]] || fail "imports $dll"
done < <(sed -nE 's/^\s*DLL Name: (.*)$/\1/p' <<<"$headers")
echo "imports: $(sed -nE 's/^\s*DLL Name: (.*)$/\1/p' <<<"$headers" | tr '\n' ' ')"

resources=$(i686-w64-mingw32-windres -i "$exe" -O rc)
for name in LOGO SETUP QRV.EXE QRV.HLP DOCREADER.EXE HELP.QRD SHAPES.QRD PAYLOADCRC; do
    grep -q "Name: \"$name\"" <<<"$resources" || fail "no resource $name"
done
grep -q '^/\* Type: icon' <<<"$resources" || fail "no icons"
grep -q '^/\* Type: group icon' <<<"$resources" || fail "no icon group"
grep -q '^/\* Type: 24' <<<"$resources" || fail "no application manifest"
[[ $(grep -c '^LANGUAGE' <<<"$resources") -ge 1 && -z $(grep '^LANGUAGE' <<<"$resources" | grep -v '^LANGUAGE 9, 1$') ]] ||
    fail "a resource is not U.S. English"
grep -q '^STYLE 0x90c800c0$' <<<"$resources" || fail "dialog style"
grep -q '^CAPTION "QRV Installation Wizard"$' <<<"$resources" || fail "dialog title"
grep -q '^FONT 10, "System"$' <<<"$resources" || fail "dialog font"
# (the template itself, byte by byte, is checked by the Win32 resource tests)
echo "resources: LOGO, SETUP, icons, manifest, QRV.EXE, QRV.HLP, DOCREADER.EXE, HELP.QRD, SHAPES.QRD, PAYLOADCRC"
