#!/usr/bin/env bash
# setup.exe signed as make signs it (a throwaway certificate): from PEM files
# and from a PKCS#12 file with a password file, the same bytes; lzari names
# the signer (signature_verdict.sh tries the rest); it installs under Wine.
#   signing.sh SOURCE_DIR WIN32_BUILD LZARI WIN32_TESTS
set -euo pipefail
source=$1 build=$2 lzari=$3 tests=$4
scratch=$(mktemp -d /tmp/signing-XXXXXX)
trap 'rm -rf "$scratch"' EXIT
cd "$scratch"
fail() { echo "signing: $*" >&2; exit 1; }
signer="/CN=Throwaway Publisher/O=Arvendal Test"
openssl req -x509 -newkey rsa:2048 -nodes -keyout key.pem -out cert.pem -days 30 -subj "$signer" 2>/dev/null
mkdir -p copy/wizard copy/products/setup
cp "$build/products/setup/product_config.h" copy/products/setup/
sign() {  # sign OUTPUT VARIABLE=VALUE...
    local output=$1; shift
    cp "$build/wizard/setup.exe" copy/wizard/setup.exe
    env "$@" bash "$source/scripts/sign-setup.sh" copy >/dev/null
    cp copy/wizard/setup.exe "$output"
}
echo secret >pass
openssl pkcs12 -export -in cert.pem -inkey key.pem -out key.p12 -passout file:pass
sign a.exe SIGN_CERT=cert.pem SIGN_KEY=key.pem
sign b.exe SIGN_PKCS12=key.p12 SIGN_PASS_FILE=pass
cmp -s a.exe b.exe || fail "two signings of one build with one key (PEM and PKCS#12) differ"
[[ $("$lzari" list a.exe | tail -1) == "signature: signed by $signer; it covers the file as it is" ]] || fail "lzari: not good"

SETUP_UNDER_TEST="Z:$scratch/a.exe" bash "$source/scripts/wine-run.sh" "$tests" --gtest_filter=Scenario.TypicalRun* \
    >wine.txt 2>&1 || fail "the signed setup.exe does not install: $(grep -A5 Failure wine.txt | head -20)"
echo "signed twice alike, named by lzari, installed under Wine"
