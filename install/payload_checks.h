// The payloads' check values, carried as one more resource beside the
// containers (which have no checksum of their own): for each payload, the
// CRC-32 of its decoded bytes as 4 bytes little-endian, then its resource
// name, NUL-terminated and padded with NULs to a multiple of four bytes.
#pragma once

#include <cstdint>

constexpr const char* payloadChecksName = "PAYLOADCRC";

// The record's size for a name of `nameLength` characters.
constexpr uint32_t payloadCheckRecordSize(uint32_t nameLength) { return 4 + (nameLength + 1 + 3) / 4 * 4; }

// Finds the check value recorded for `name`, letter case ignored (as
// resources are found). False when no record names it, or when the records
// end in the middle of one (nothing after that point is trusted).
bool findPayloadCheck(const uint8_t* records, uint32_t size, const char* name, uint32_t* crc);
