// The payloads' check values: the setup program's own CRC-32 against
// zlib's, and the lookup of a payload's record in the check resource,
// whole and damaged.
#include <gtest/gtest.h>

#include <zlib.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "crc32.h"
#include "payload_checks.h"

namespace {

uint32_t zlibCrc(const std::vector<uint8_t>& bytes)
{
    return uint32_t(crc32(crc32(0, nullptr, 0), bytes.data(), uInt(bytes.size())));
}

TEST(Crc32, KnownValues)
{
    const char* check = "123456789";
    EXPECT_EQ(crc32Update(0, reinterpret_cast<const uint8_t*>(check), 9), 0xCBF43926u);
    EXPECT_EQ(crc32Update(0, nullptr, 0), 0u);
}

// Every length around the four-byte steps, every alignment, and pieces fed
// one after another.
TEST(Crc32, MatchesZlibOnEveryLengthAndInPieces)
{
    std::mt19937 random(7);
    std::vector<uint8_t> bytes(4096 + 9);
    for (uint8_t& byte : bytes) byte = uint8_t(random());
    for (size_t offset = 0; offset < 4; offset++)
        for (size_t size = 0; size < 70; size++) {
            std::vector<uint8_t> piece(bytes.begin() + offset, bytes.begin() + offset + size);
            ASSERT_EQ(crc32Update(0, bytes.data() + offset, size), zlibCrc(piece)) << offset << "+" << size;
        }
    uint32_t inPieces = 0;
    for (size_t at = 0; at < bytes.size(); at += 1000)
        inPieces = crc32Update(inPieces, bytes.data() + at, std::min<size_t>(1000, bytes.size() - at));
    EXPECT_EQ(inPieces, zlibCrc(bytes));
}

std::string record(uint32_t crc, const std::string& name)
{
    std::string bytes;
    for (int shift = 0; shift < 32; shift += 8) bytes += char(crc >> shift);
    bytes += name;
    bytes.append(payloadCheckRecordSize(uint32_t(name.size())) - 4 - name.size(), '\0');
    return bytes;
}

bool lookUp(const std::string& records, const char* name, uint32_t* crc)
{
    return findPayloadCheck(reinterpret_cast<const uint8_t*>(records.data()), uint32_t(records.size()), name, crc);
}

TEST(PayloadChecks, RecordsAreFoundByNameWithoutRegardToCase)
{
    // Names of 3, 4 and 13 characters: padded to 4, 8 and 16 bytes.
    std::string records = record(0x11111111, "ABC") + record(0x22222222, "QRV1") + record(0x33333333, "DOCREADER.EXE");
    EXPECT_EQ(records.size(), 8u + 12u + 20u);
    uint32_t crc = 0;
    EXPECT_TRUE(lookUp(records, "abc", &crc));
    EXPECT_EQ(crc, 0x11111111u);
    EXPECT_TRUE(lookUp(records, "QRV1", &crc));
    EXPECT_EQ(crc, 0x22222222u);
    EXPECT_TRUE(lookUp(records, "DocReader.EXE", &crc));
    EXPECT_EQ(crc, 0x33333333u);
    EXPECT_FALSE(lookUp(records, "QRV", &crc)) << "a prefix is not the name";
    EXPECT_FALSE(lookUp(records, "DOCREADER.EXEX", &crc));
    EXPECT_FALSE(lookUp("", "ABC", &crc));
}

// A resource cut anywhere, or a name without its terminator, is read no
// further than its end and answers nothing beyond the last whole record.
TEST(PayloadChecks, DamagedRecordsAreReadWithinTheirBounds)
{
    std::string whole = record(1, "FIRST.TXT") + record(2, "SECOND.TXT");
    uint32_t crc;
    for (size_t size = 0; size < whole.size(); size++) {
        // A copy of exactly `size` bytes, so that a read past it is caught
        // by the sanitized build.
        std::vector<uint8_t> cut(whole.begin(), whole.begin() + size);
        bool first = findPayloadCheck(cut.data(), uint32_t(size), "FIRST.TXT", &crc);
        EXPECT_EQ(first, size >= 16) << size;
        EXPECT_FALSE(findPayloadCheck(cut.data(), uint32_t(size), "SECOND.TXT", &crc)) << size;
    }
    std::string unterminated = record(3, "NAME");
    unterminated.replace(4, std::string::npos, "NAMENAME");
    EXPECT_FALSE(lookUp(unterminated, "NAMENAME", &crc));
}

}  // namespace
