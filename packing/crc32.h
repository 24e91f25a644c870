// CRC-32 as zip, PNG and zlib compute it (reflected polynomial 0xEDB88320,
// initial and final inversion): the check value of a payload's decoded
// bytes. Written here rather than taken from zlib because the setup program
// links no library beyond the C and C++ runtimes; the host tools use
// zlib's, and the tests hold the two to each other.
#pragma once

#include <cstddef>
#include <cstdint>

// The CRC of `size` bytes, continuing from `crc` (0 to start).
uint32_t crc32Update(uint32_t crc, const uint8_t* data, size_t size);
