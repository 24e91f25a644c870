#!/usr/bin/env bash
# Signs the setup.exe of a Win32 build folder with Authenticode (SHA-256)
# through osslsigncode, when the make variables ask for it; without a
# certificate it does nothing.
#   sign-setup.sh BUILD_FOLDER
#   SIGN_CERT and SIGN_KEY (PEM), or SIGN_PKCS12 (.p12/.pfx): the certificate and key
#   SIGN_PASS_FILE: a file holding the key's password (never given on a command line)
#   SIGN_TIMESTAMP_URL: a time-stamp server (RFC 3161), when one can be reached
# The signing time is the commit's (SOURCE_DATE_EPOCH, else the commit's
# date), so two signed builds of one commit with one key are the same
# bytes; a time-stamp server's answer is not, and makes them differ.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$1
exe=$build/wizard/setup.exe
[[ -n ${SIGN_CERT:-}${SIGN_PKCS12:-} ]] || exit 0
fail() { echo "sign-setup: $*" >&2; exit 2; }

time=${SOURCE_DATE_EPOCH:-$(git -C "$root" log -1 --format=%ct)}
# The description Windows shows in its prompt: the version information's.
description=$(sed -n 's/^#define PRODUCT_FILE_DESCRIPTION "\(.*\)"$/\1/p' "$build/products/setup/product_config.h")
arguments=(sign -h sha256 -n "$description" -time "$time")
if [[ -n ${SIGN_PKCS12:-} ]]; then
    arguments+=(-pkcs12 "$SIGN_PKCS12")
else
    [[ -n ${SIGN_KEY:-} ]] || fail "SIGN_CERT needs SIGN_KEY (or give SIGN_PKCS12)"
    arguments+=(-certs "$SIGN_CERT" -key "$SIGN_KEY")
fi
[[ -z ${SIGN_PASS_FILE:-} ]] || arguments+=(-readpass "$SIGN_PASS_FILE")
[[ -z ${SIGN_TIMESTAMP_URL:-} ]] || arguments+=(-ts "$SIGN_TIMESTAMP_URL")

# A program signed before (an unchanged build) is signed anew from its
# unsigned bytes.
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
osslsigncode remove-signature -in "$exe" -out "$scratch/unsigned.exe" >/dev/null 2>&1 || cp "$exe" "$scratch/unsigned.exe"
osslsigncode "${arguments[@]}" -in "$scratch/unsigned.exe" -out "$scratch/signed.exe" >/dev/null ||
    fail "osslsigncode could not sign $exe"
mv "$scratch/signed.exe" "$exe"
echo "signed $exe as \"$description\" ($(date -u -d "@$time" '+%Y-%m-%d %H:%M:%S') UTC)"
