#!/usr/bin/env bash
# make PRODUCT= for a manifest in a folder whose name has spaces and
# brackets: the second product, copied there, builds into a program that
# carries what the tree's own build of it carries.
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
echo "built from \"$folder\": the same payloads"
