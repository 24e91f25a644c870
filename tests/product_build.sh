#!/usr/bin/env bash
# make PRODUCT= for the second product's manifest copied to a folder named
# with spaces and brackets: the same payloads as the tree's build, and version
# information naming its group as maker, no copyright (its manifest has neither).
#   product_build.sh SOURCE_DIR HOST_BUILD LZARI SECOND_SETUP_EXE
set -euo pipefail
source=$1 host=$2 lzari=$3 second=$4
scratch=$(mktemp -d /tmp/product-build-XXXXXX)
trap 'rm -rf "$scratch"' EXIT

folder="$scratch/a product (copy)"
cp -rp "$source/tests/data/second-product" "$folder"
sed -i "s|\"\.\./\.\./\.\./|\"$source/|" "$folder/product.toml"
PRODUCT_BUILD_ROOT=$scratch bash "$source/scripts/build-product.sh" "$folder/product.toml" "$host" 2 >/dev/null
diff <("$lzari" list "$second") <("$lzari" list "$scratch/product-a_product__copy_/wizard/setup.exe")
diff <(i686-w64-mingw32-windres -i "$second" -O rc | sed -n '/^1 VERSIONINFO/,/^END/p') \
    "$source/tests/data/second-product-version-info.rc"
echo "built from \"$folder\": the same payloads, and the version information of its manifest"
