// Who signed a setup program, and whether the signature covers the very
// bytes lzari read: checked here, in this process, with OpenSSL, from
// those bytes alone (no second read of the file, no other program, no
// network). What it checks:
//   - the certificate table's structure, as Windows' strict check wants it:
//     one entry filling the table, the table last in the file, the PKCS#7
//     ending at the entry's end but for at most 7 bytes of zero padding;
//   - the file's Authenticode digest against the one the signature carries;
//   - the signature over the signed attributes, by the signer's certificate;
//   - each carried certificate's own signature, under its carried issuer.
// The topmost carried certificate's own signature is the root's to check,
// and whether Windows trusts that root is Windows' question.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "pe_resources.h"  // SignedRegions

struct SignatureCheck {
    bool good;         // not signed, or every signature covers the file as it is
    std::string line;  // the listing's "signature: ..." line, or the problem (one line)
};

SignatureCheck checkSignature(const uint8_t* program, size_t size, const SignedRegions& signing);
