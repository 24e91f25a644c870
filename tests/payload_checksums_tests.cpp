// The records of the PAYLOADCRC resource: read as written, and refused
// with the place of the fault when they are not.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "payload_checksums.h"
#include "pe_image_builder.h"

namespace {

Bytes operator+(Bytes left, const Bytes& right)
{
    left.insert(left.end(), right.begin(), right.end());
    return left;
}

std::string refusal(const Bytes& bytes)
{
    try {
        readPayloadChecksums(bytes.data(), uint32_t(bytes.size()));
        return "accepted";
    } catch (const std::runtime_error& error) {
        return error.what();
    }
}

TEST(PayloadChecksums, ReadsEachRecordWithItsPadding)
{
    Bytes table = checksumTable({{0x8A9136AAu, "QRV.EXE"}, {0x01020304u, "QRV"}, {0xFFFFFFFFu, "DOCREADER.EXE"}});
    EXPECT_EQ(table.size(), 12u + 8u + 20u) << "7, 3 and 13 characters, each with its NUL, padded to 4";
    std::vector<PayloadChecksum> records = readPayloadChecksums(table.data(), uint32_t(table.size()));
    ASSERT_EQ(records.size(), 3u);
    EXPECT_EQ(records[0].name, "QRV.EXE");
    EXPECT_EQ(records[0].crc, 0x8A9136AAu);
    EXPECT_EQ(records[1].name, "QRV");
    EXPECT_EQ(records[2].name, "DOCREADER.EXE");
    EXPECT_EQ(records[2].crc, 0xFFFFFFFFu);

    EXPECT_TRUE(readPayloadChecksums(nullptr, 0).empty());
    Bytes unpaddedLast = checksumTable({{1, "A"}}) + Bytes{2, 0, 0, 0, 'B', 0};
    EXPECT_EQ(readPayloadChecksums(unpaddedLast.data(), uint32_t(unpaddedLast.size())).at(1).name, "B");
    EXPECT_EQ(upperCaseName("Qrv.exe"), "QRV.EXE");
}

TEST(PayloadChecksums, RefusesMalformedRecordsSayingWhere)
{
    Bytes good = checksumTable({{1, "QRV.EXE"}, {2, "HELP.QRD"}});
    EXPECT_EQ(refusal(Bytes(good.begin(), good.begin() + 14)), "PAYLOADCRC: record cut short at byte 12");
    EXPECT_EQ(refusal(Bytes(good.begin(), good.begin() + 20)), "PAYLOADCRC: name without its ending NUL at byte 16");
    EXPECT_EQ(refusal(checksumTable({{1, "A"}}) + Bytes{0, 0, 0, 0, 0, 0, 0, 0}), "PAYLOADCRC: empty name at byte 12");
    Bytes badPadding = good;
    badPadding[26] = ' ';
    EXPECT_EQ(refusal(badPadding), "PAYLOADCRC: padding that is not NUL at byte 26");
    EXPECT_EQ(refusal(good + checksumTable({{3, "qrv.exe"}})), "PAYLOADCRC: qrv.exe given twice at byte 28");
    EXPECT_EQ(refusal(checksumTable({{1, "A\nB"}, {2, "a\nb"}})), "PAYLOADCRC: a?b given twice at byte 8");
}

}  // namespace
