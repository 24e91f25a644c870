// Who signed a setup program, and whether the signature still covers it.
// The signature's bytes come from the resource reader, which finds them in
// the certificate table with its bounds checks; reading the PKCS#7 and
// checking it are left to the tools made for that (OpenSSL, and
// osslsigncode, which computes the Authenticode digest of a PE file).
#pragma once

#include <cstdint>
#include <string>

struct SignatureCheck {
    bool good;         // not signed, or signed and covering the file as it is
    std::string line;  // "signature: ..." for the listing
};

// `signature`: the PKCS#7 bytes, null when the program is not signed. The
// certificates the signature carries are taken as trusted for the check:
// whether Windows trusts them is Windows' own question.
SignatureCheck checkSignature(const std::string& path, const uint8_t* signature, uint32_t size);
