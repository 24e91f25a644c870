#include "crc32.h"

namespace {

// Four tables, computed when compiled: table[0] is the classic byte-wise
// table; table[k][b] is the CRC of byte b followed by k zero bytes, so that
// four bytes are folded in with four independent lookups instead of four
// dependent ones (about three times faster on the 32-bit target).
struct CrcTables {
    uint32_t table[4][256];
};

constexpr CrcTables makeTables()
{
    CrcTables tables{};
    for (uint32_t byte = 0; byte < 256; byte++) {
        uint32_t crc = byte;
        for (int bit = 0; bit < 8; bit++) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1)));
        tables.table[0][byte] = crc;
    }
    for (int k = 1; k < 4; k++)
        for (uint32_t byte = 0; byte < 256; byte++) {
            uint32_t previous = tables.table[k - 1][byte];
            tables.table[k][byte] = (previous >> 8) ^ tables.table[0][previous & 0xFF];
        }
    return tables;
}

constexpr CrcTables crcTables = makeTables();

}  // namespace

uint32_t crc32Update(uint32_t crc, const uint8_t* data, size_t size)
{
    const auto& t = crcTables.table;
    crc = ~crc;
    for (; size >= 4; size -= 4, data += 4) {
        // Little-endian order whatever the machine: bytes, not a word load.
        crc ^= uint32_t(data[0]) | uint32_t(data[1]) << 8 | uint32_t(data[2]) << 16 | uint32_t(data[3]) << 24;
        crc = t[3][crc & 0xFF] ^ t[2][(crc >> 8) & 0xFF] ^ t[1][(crc >> 16) & 0xFF] ^ t[0][crc >> 24];
    }
    for (; size > 0; size--, data++) crc = (crc >> 8) ^ t[0][(crc ^ *data) & 0xFF];
    return ~crc;
}
