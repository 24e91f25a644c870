// The payloads' check values and the verdict on a payload, also under the
// sanitizers: the program's own CRC-32, its lookup of a payload's record and
// what it does with each kind of container, and the tools' reading of the
// records. (The reader of a program's resources is tried through lzari on
// damaged copies of setup.exe, and by its fuzzer.)
#include <gtest/gtest.h>

#include <sys/resource.h>
#include <zlib.h>

#include <algorithm>

#include "codec_support.h"
#include "crc32.h"
#include "payload_checks.h"
#include "setup_payloads.h"  // listPayloadChecks
#include "payload_verdict.h"

namespace {

// A record as the build writes it: the CRC, the name, NULs to a multiple of 4.
std::string record(uint32_t crc, const std::string& name)
{
    std::string bytes(payloadCheckRecordSize(uint32_t(name.size())), '\0');
    writePayloadCheck(reinterpret_cast<uint8_t*>(&bytes[0]), crc, name.c_str(), uint32_t(name.size()));
    return bytes;
}

// The check records, read as written, and refused with the place of the
// fault when they are not.
TEST(PayloadChecks, ToolReadsTheRecordsAsTheProgramDoesOrRefusesSayingWhere)
{
    auto read = [](const std::string& bytes) {
        try {
            std::string names;
            for (const PayloadCheck& record :
                 listPayloadChecks(reinterpret_cast<const uint8_t*>(bytes.data()), uint32_t(bytes.size())))
                names += std::string(record.name) + "=" + std::to_string(record.crc) + " ";
            return names;
        } catch (const std::runtime_error& error) {
            return std::string(error.what());
        }
    };
    std::string good = record(1, "QRV.EXE") + record(2, "HELP.QRD");
    const std::pair<std::string, std::string> rows[] = {
        {good + record(0xFFFFFFFF, "QRV"), "QRV.EXE=1 HELP.QRD=2 QRV=4294967295 "},
        {record(1, "A") + std::string("\2\0\0\0B\0", 6), "PAYLOADCRC: record cut short at byte 8"},  // its padding too
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

// What the installer (and lzari with it) does with each kind of container,
// judged in turn as the installer judges its rows: the code, and the reason
// a reader is told.
TEST(PayloadChecks, VerdictOnEveryKindOfContainer)
{
    Bytes text = textBytes(3000, 4), v0 = encode(text), v1 = asVersion1(v0, FILETIME{1, 2});
    Bytes empty = asVersion1(encode({}), FILETIME{1, 2}), zeroed = v1, lying = v1, cut = v1, unknown = v1;
    unknown[3] = 'r';  // "Lzar": neither magic
    writeLittleEndian32(&zeroed[zeroed.size() - 12], 0);
    writeLittleEndian32(&lying[lying.size() - 12], uint32_t(1024 * (v1.size() - 16 + 2) + 1));
    cut.erase(cut.begin() + 100, cut.begin() + 110);
    uint32_t crc = crc32Update(0, text.data(), text.size());
    std::string records = record(crc, "QRV.EXE") + record(crc + 1, "BAD") + record(0, "EMPTY");
    struct Row {
        Bytes container;
        const char* name;
        int code;
        const char* reason;
    };
    const Row rows[] = {
        {v1, "qrv.exe", 0, ""},
        {Bytes(v1.begin(), v1.begin() + 12), "QRV.EXE", 346, "a container cut short before its fields"},
        {Bytes(v1.begin(), v1.begin() + 3), "QRV.EXE", 344, "not an LZARI container"},
        {unknown, "QRV.EXE", 344, "not an LZARI container"},
        {v0, "QRV.EXE", 344, "a container of version 0"},
        {Bytes(v0.begin(), v0.begin() + 5), "QRV.EXE", 344, "a container of version 0"},
        {lying, "QRV.EXE", 346, "damaged container: its length field is more than its stream can hold"},
        {zeroed, "QRV.EXE", 346, "damaged container: its length field reads 0 but its stream is not empty"},
        {cut, "QRV.EXE", 346, "damaged or truncated container"},
        {v1, "BAD", 348, "CRC-32 of the decoded bytes differs from its record"},
        {v1, "QRV", 348, "PAYLOADCRC has no record for it"},
        {empty, "EMPTY", 0, ""},
    };
    for (const Row& row : rows) {
        Bytes block = row.container;  // exactly its size, for the sanitizers
        PayloadVerdict verdict = judgePayload(block.data(), uint32_t(block.size()), row.name,
                                              reinterpret_cast<const uint8_t*>(records.data()), uint32_t(records.size()));
        Decoded decoded = owned(verdict.container.decoded);
        SCOPED_TRACE(row.reason);
        EXPECT_EQ(verdict.code, row.code);
        EXPECT_STREQ(verdict.reason, row.reason);
        EXPECT_EQ(decoded.bytes == text, row.container == v1 || row.container == v0);
    }
#ifndef LZARI_SANITIZED  // the sanitizer's own memory leaves no room for a limit
    // A well-formed container whose stream could stand for 4 GiB - 1 bytes,
    // judged where the process may not map that much: no memory, which is
    // no damage.
    Bytes huge(version1Overhead + (1u << 22), 0);
    std::copy(magicVersion1, magicVersion1 + 4, huge.begin());
    writeLittleEndian32(&huge[huge.size() - 12], UINT32_MAX);
    rlimit unlimited, tight;
    getrlimit(RLIMIT_AS, &unlimited);
    tight = unlimited;
    tight.rlim_cur = rlim_t(3) << 30;
    setrlimit(RLIMIT_AS, &tight);
    PayloadVerdict verdict = judgePayload(huge.data(), uint32_t(huge.size()), "QRV.EXE", nullptr, 0);
    setrlimit(RLIMIT_AS, &unlimited);
    EXPECT_EQ(verdict.code, 347);
    EXPECT_STREQ(verdict.reason, "not enough memory for its decoded bytes");
#endif
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
