#!/usr/bin/env bash
# Writes into FOLDER a product of 40 payloads of 0.3 to 2.5 MB (about 41 MB
# of distinct data, as a product with its libraries has: most files small,
# a few large), cut from Wine's own DLLs, and its manifest, product.toml.
# Files already there are kept.
set -euo pipefail
folder=$1 root=$(cd "$(dirname "$0")/.." && pwd)
mkdir -p "$folder"
dlls=$(ls /usr/lib/x86_64-linux-gnu/wine/x86_64-windows/*.dll /usr/lib/i386-linux-gnu/wine/i386-windows/*.dll 2>/dev/null | sort)
cat >"$folder/product.toml.new" <<TOML
# 40 payloads of 0.3 to 2.5 MB (bench/make_many_payloads.sh).
productName = "QRV"
productVersion = "6.10"
defaultFolder = 'C:\\Arvendal\\QRV'
groupName = "Arvendal"
productDescription = "A product of many files"
dialogTitle = "QRV Installation Wizard"
logo = "$root/resources/logo.bmp"
icon = "$root/resources/setup.ico"
TOML
skip=0
for i in $(seq 0 39); do
    # Sizes by the square of a spread, so that most are small: 0.3 MB plus
    # up to 2.2 MB, in an order that is not the table's.
    k=$((i * 7 % 40))
    size=$((300000 + 2200000 * k * k / 1521))
    name=$([ "$i" -eq 0 ] && echo QRV.EXE || printf 'LIB%02d.DLL' "$i")
    if [[ ! -s $folder/$name ]]; then
        (set +o pipefail; cat $dlls | tail -c +$((skip + 1)) | head -c "$size" >"$folder/$name")
    fi
    skip=$((skip + size))
    printf '\n[[payload]]\nname = "%s"\nsource = "%s"\ntime = "2022-11-30 18:49:42"\n' "$name" "$folder/$name" \
        >>"$folder/product.toml.new"
done
cmp -s "$folder/product.toml.new" "$folder/product.toml" 2>/dev/null || mv "$folder/product.toml.new" "$folder/product.toml"
rm -f "$folder/product.toml.new"
