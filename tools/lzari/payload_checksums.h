// The optional RCDATA resource "PAYLOADCRC" of a setup program: for each
// payload, the CRC-32 (zlib's) of its decoded bytes. It is a run of
// records, each the CRC as a little-endian 32-bit value, the payload's name
// in ASCII ending in a NUL, and NULs up to a multiple of 4 bytes.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "names.h"  // upperCaseName
#include "payload_checks.h"  // the resource's name and its records' layout, as the program reads them

struct PayloadChecksum {
    std::string name;
    uint32_t crc;
};

// Throws std::runtime_error with a one-line reason, beginning "PAYLOADCRC",
// for a record cut short, a name without its NUL, an empty name, padding
// that is not NUL or a name given twice (in any letter case). The last record's padding may be
// missing.
std::vector<PayloadChecksum> readPayloadChecksums(const uint8_t* data, uint32_t size);
