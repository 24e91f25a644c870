// The payloads' check values, also under the sanitizers: the program's own
// CRC-32 and its lookup of a payload's record, and the tools' reading of the
// records. (The reader of a program's resources is tried through lzari on
// damaged copies of setup.exe, and by its fuzzer.)
#include <gtest/gtest.h>

#include <zlib.h>

#include "codec_support.h"
#include "crc32.h"
#include "payload_checks.h"
#include "payload_checksums.h"

namespace {

// A record as the build writes it: the CRC, the name, NULs to a multiple of 4.
std::string record(uint32_t crc, const std::string& name)
{
    std::string bytes(reinterpret_cast<const char*>(&crc), 4);  // little-endian, as both targets are
    return (bytes + name).append(payloadCheckRecordSize(uint32_t(name.size())) - 4 - name.size(), '\0');
}

// The check records, read as written, and refused with the place of the
// fault when they are not.
TEST(PayloadChecks, ToolReadsTheRecordsWithTheirPaddingOrRefusesSayingWhere)
{
    auto read = [](const std::string& bytes) {
        try {
            std::string names;
            for (const PayloadChecksum& record :
                 readPayloadChecksums(reinterpret_cast<const uint8_t*>(bytes.data()), uint32_t(bytes.size())))
                names += record.name + "=" + std::to_string(record.crc) + " ";
            return names;
        } catch (const std::runtime_error& error) {
            return std::string(error.what());
        }
    };
    std::string good = record(1, "QRV.EXE") + record(2, "HELP.QRD");
    const std::pair<std::string, std::string> rows[] = {
        {good + record(0xFFFFFFFF, "QRV"), "QRV.EXE=1 HELP.QRD=2 QRV=4294967295 "},
        {record(1, "A") + std::string("\2\0\0\0B\0", 6), "A=1 B=2 "},  // the last record's padding may be missing
        {"", ""},
        {good.substr(0, 14), "PAYLOADCRC: record cut short at byte 12"},
        {good.substr(0, 20), "PAYLOADCRC: name without its ending NUL at byte 16"},
        {record(1, "A") + std::string(8, '\0'), "PAYLOADCRC: empty name at byte 12"},
        {good.substr(0, 26) + " " + good.substr(27), "PAYLOADCRC: padding that is not NUL at byte 26"},
        {good + record(3, "qrv.exe"), "PAYLOADCRC: qrv.exe given twice at byte 28"},
        {record(1, "A\nB") + record(2, "a\nb"), "PAYLOADCRC: a?b given twice at byte 8"},
    };
    for (const auto& [bytes, outcome] : rows) EXPECT_EQ(read(bytes), outcome);
}

// The check value of `name` in a copy of exactly the records' size (so that
// the sanitized build sees a read past them), or "none".
std::string lookUp(const std::string& records, const char* name)
{
    std::vector<uint8_t> block(records.begin(), records.end());
    uint32_t crc;
    return findPayloadCheck(block.data(), uint32_t(block.size()), name, &crc) ? std::to_string(crc) : "none";
}

TEST(PayloadChecks, ProgramFindsARecordByNameWithinTheRecordsBounds)
{
    // Names of 3, 4 and 13 characters: records of 8, 12 and 20 bytes.
    std::string records = record(11, "QRV1") + record(22, "DOCREADER.EXE") + record(33, "ABC");
    ASSERT_EQ(records.size(), 40u);
    const std::pair<const char*, const char*> rows[] = {{"QRV1", "11"}, {"DocReader.EXE", "22"}, {"abc", "33"},
                                                        {"QRV", "none"}, {"DOCREADER.EXEX", "none"}};
    for (const auto& [name, crc] : rows) EXPECT_EQ(lookUp(records, name), crc) << name;
    EXPECT_EQ(lookUp("", "ABC"), "none");
    // Cut anywhere, the records answer nothing beyond the last whole one.
    for (size_t size = 0; size < records.size(); size++) {
        EXPECT_EQ(lookUp(records.substr(0, size), "QRV1"), size >= 12 ? "11" : "none") << size;
        EXPECT_EQ(lookUp(records.substr(0, size), "ABC"), "none") << size;
    }
    EXPECT_EQ(lookUp(record(3, "NAME").substr(0, 8) + "NAME", "NAMENAME"), "none") << "a name without its end";
}

// The program's own CRC-32 against zlib's: every length around its
// four-byte steps, every alignment, and pieces fed one after another.
TEST(PayloadChecks, Crc32IsZlibs)
{
    EXPECT_EQ(crc32Update(0, reinterpret_cast<const uint8_t*>("123456789"), 9), 0xCBF43926u);
    Bytes bytes = randomBytes(4096 + 9, 7);
    for (size_t offset = 0; offset < 4; offset++)
        for (size_t size = 0; size < 70; size++)
            ASSERT_EQ(crc32Update(0, &bytes[offset], size), crc32(0, &bytes[offset], uInt(size))) << offset << "+" << size;
    uint32_t inPieces = 0;
    for (size_t at = 0; at < bytes.size(); at += 1000)
        inPieces = crc32Update(inPieces, &bytes[at], std::min<size_t>(1000, bytes.size() - at));
    EXPECT_EQ(inPieces, crc32(0, bytes.data(), uInt(bytes.size())));
}

}  // namespace
