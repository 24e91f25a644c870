#!/usr/bin/env bash
# Runs setup.exe under Wine in the project's own prefix. With a display it
# opens the wizard for the person at the keyboard. Without one it runs it
# under Xvfb, walks through the typical install by itself, saves a picture
# of each phase (start, extracting, prompt, done) under build/, and lists
# what went where.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
# On a machine that runs no 32-bit programs, the 64-bit build's.
build=$root/build/win32
"$root/scripts/wine-run.sh" --runs-32-bit || build=$root/build/win64
setup=$build/wizard/setup.exe
walk=$build/wizard_walk.exe
pictures=$root/build/pictures
run() { "$root/scripts/wine-run.sh" "$@"; }
export WINEPREFIX=${WINEPREFIX:-$root/build/wine-prefix}

show_install() {
    local drive=$WINEPREFIX/drive_c
    echo
    echo "installed into C:\\Arvendal\\QRV ($drive/Arvendal/QRV):"
    ls -l --time-style='+%Y-%m-%d %H:%M:%S' "$drive/Arvendal/QRV" | tail -n +2
    # Where the user's shell keeps the desktop and the Start menu's programs.
    echo "shortcuts:"
    find "$drive/users" -name QRV.lnk -exec ls -l {} +
}

if [[ -n ${DISPLAY:-} ]]; then
    run "$setup" || true
    [[ -d $WINEPREFIX/drive_c/Arvendal/QRV ]] && show_install
    exit 0
fi

mkdir -p "$pictures"
display=:$((90 + RANDOM % 9))
Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap 'run --stop; kill $xvfb 2>/dev/null || true' EXIT
export DISPLAY=$display
sleep 1
snap() { sleep 1; import -display "$display" -window root -crop 640x480+192+144 "$pictures/$1.png"; }

echo "running setup.exe headless on $display"
# Through a file, not a pipe: setup.exe, started by the walk, holds on to
# the walk's output for as long as it runs.
run "$walk" start "Z:$setup" >"$pictures/thread.txt"
thread=$(tr -d '\r' <"$pictures/thread.txt")
snap wizard-start
run "$walk" resume "$thread"
run "$walk" prompt
snap wizard-prompt
run "$walk" install
snap wizard-done
run "$walk" exit
sleep 1
show_install
# The extraction phase, seen on a product too large to decode before its
# dialog shows (the tests' own), closed at its prompt.
large=$build/tests/win32/large_setup.exe
run "$walk" extracting "Z:$large" >"$pictures/thread.txt"
snap wizard-extracting
run "$walk" resume "$(tr -d '\r' <"$pictures/thread.txt")"
run "$walk" close
# A product in other languages (the tests' own), at its prompt.
run "$walk" start "Z:$build/tests/win32/unicode_setup.exe" >"$pictures/thread.txt"
run "$walk" resume "$(tr -d '\r' <"$pictures/thread.txt")"
run "$walk" prompt
snap wizard-languages
run "$walk" close
echo
echo "pictures: $pictures/wizard-start.png, wizard-extracting.png, wizard-prompt.png, wizard-done.png, wizard-languages.png"
