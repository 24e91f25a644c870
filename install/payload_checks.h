// The payloads' check records, carried as one more resource beside the
// containers (which have no checksum of their own): for each payload, the
// CRC-32 of its decoded bytes as 4 bytes little-endian, then its resource
// name, NUL-terminated and padded with NULs to a multiple of four bytes.
// The one reader and writer of the format, for the installer, lzari and
// the build alike.
#pragma once

#include <cstdint>

constexpr const char* payloadChecksName = "PAYLOADCRC";

// The record's size for a name of `nameLength` characters.
constexpr uint32_t payloadCheckRecordSize(uint32_t nameLength) { return 4 + (nameLength + 1 + 3) / 4 * 4; }

struct PayloadCheck {
    uint32_t crc;
    const char* name;  // in the records, NUL-terminated
    uint32_t nameLength;
};

// Reads the record at `*at` in the records' `size` bytes: null, with the
// record and `*at` moved to the next one; or what is wrong, with `*at` where
// it is: a record cut short (its padding too is the record's), a name
// without its ending NUL, an empty name, padding that is not NUL.
const char* readPayloadCheck(const uint8_t* records, uint32_t size, uint32_t* at, PayloadCheck* record);

// Finds the check value recorded for `name`, letter case ignored (as
// resources are found). False when no record names it, or when the records
// go wrong before it (nothing from that point on is trusted).
bool findPayloadCheck(const uint8_t* records, uint32_t size, const char* name, uint32_t* crc);

// Writes the record of `name` (`nameLength` characters) and its `crc` into
// the payloadCheckRecordSize(nameLength) bytes at `record`.
void writePayloadCheck(uint8_t* record, uint32_t crc, const char* name, uint32_t nameLength);
