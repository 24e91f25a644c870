// The readers of a setup program's bytes: those behind lzari list, extract
// and verify, on the built setup.exe (what they find, and a clear refusal
// for each way a damaged or hostile copy can lie), and the program's own
// CRC-32 and lookup of a payload's check record.
#include <gtest/gtest.h>

#include <zlib.h>

#include <cstdlib>

#include "crc32.h"
#include "payload_checks.h"
#include "payload_checksums.h"
#include "pe_resources.h"
#include "codec_support.h"
#include "program_bytes.h"

namespace {

class SetupReading : public ::testing::Test {
protected:
    void SetUp() override
    {
        const char* path = getenv("SETUP_EXE");
        if (!path || !*path) GTEST_SKIP() << "SETUP_EXE names no built setup.exe";
        program = fileBytes(path);
        program.shrink_to_fit();  // its end is the block's end, for the sanitized build
        ASSERT_GT(program.size(), 4096u) << path;
        layout = layoutOf(program);
    }
    Bytes program;
    ProgramLayout layout;
};

// The reader's one-line refusal of the first `size` bytes, or "accepted".
std::string refusal(const Bytes& image, size_t size)
{
    try {
        readRawDataResources(image.data(), size);
        return "accepted";
    } catch (const PeFormatError& error) {
        return std::string(error.what()).find('\n') == std::string::npos ? error.what() : "more than one line";
    }
}

TEST_F(SetupReading, FindsEachPayloadAndItsCheckRecord)
{
    PeResources resources = readRawDataResources(program.data(), program.size());
    EXPECT_EQ(resources.directoryOffset, layout.tree);
    std::string found;
    for (const RawDataResource& resource : resources.rawData) {
        found += resource.name + "/" + std::to_string(resource.language) + " ";
        EXPECT_EQ(size_t(resource.data - program.data()), dataOf(program, resource.name)) << resource.name;
        EXPECT_EQ(resource.size, get32(program, rawDataParts(program, resource.name).dataEntry + 4));
    }
    EXPECT_EQ(found, "DOCREADER.EXE/1033 HELP.QRD/1033 PAYLOADCRC/1033 QRV.EXE/1033 QRV.HLP/1033 SHAPES.QRD/1033 ");
    std::string records;
    for (const PayloadChecksum& record : readPayloadChecksums(resources.rawData[2].data, resources.rawData[2].size))
        records += record.name + " ";
    EXPECT_EQ(records, "QRV.EXE QRV.HLP DOCREADER.EXE HELP.QRD SHAPES.QRD ");

    // Another language, and name characters beyond ASCII (kept as UTF-8, a
    // lone surrogate half as U+FFFD).
    ResourceParts help = rawDataParts(program, "QRV.HLP");
    put32(program, help.languageEntry, 1031);
    put16(program, help.nameString + 2 + 2 * 4, 0x00E9);
    put16(program, help.nameString + 2 + 2 * 5, 0xD800);
    RawDataResource changed = readRawDataResources(program.data(), program.size()).rawData[4];
    EXPECT_EQ(changed.name + "/" + std::to_string(changed.language), "QRV.\xC3\xA9\xEF\xBF\xBDP/1031");
}

TEST_F(SetupReading, RefusesEachLieWithOneLine)
{
    ProgramLayout l = layout;
    ResourceParts help = rawDataParts(program, "QRV.HLP"), shapes = rawDataParts(program, "SHAPES.QRD");
    size_t names = subdirectoryOf(program, l.tree, entryOf(program, l.tree, l.tree, "10"));
    size_t rawDataType = entryOf(program, l.tree, l.tree, "10"), section = l.rsrcSection;
    uint32_t sectionRva = get32(program, section + 12);
    auto treeOffset = [&](size_t at) { return uint32_t(at - l.tree); };
    const std::vector<std::pair<std::vector<std::pair<size_t, uint32_t>>, std::string>> rows = {
        {{{0, 0x905A4E}}, "not a Windows program (no MZ header)"},
        {{{l.fileHeader - 4, 0x4550 + 1}}, "not a PE file (no PE signature where the MZ header points)"},
        {{{0x3C, 0xFFFFFFFF}}, "PE header lies outside the file (truncated?)"},
        {{{l.optionalHeader, get32(program, l.optionalHeader) - 0x10B + 0x107}},
         "unknown optional header magic 0x107 (neither PE32 nor PE32+)"},
        {{{l.fileHeader + 16, (get32(program, l.fileHeader + 16) & 0xFFFF0000) | 64}}, "PE optional header is too short"},
        {{{l.fileHeader, (get32(program, l.fileHeader) & 0xFFFF) | 97 << 16}}, "absurd section count 97 (96 at most)"},
        {{{l.fileHeader + 8, uint32_t(program.size())}, {l.fileHeader + 12, 1}}, "COFF symbol table lies outside the file"},
        {{{section + 20, 0xFFFFFF00}}, "section .rsrc lies outside the file (truncated?)"},
        {{{l.resourceEntry, 0xFFFFFFFF}}, "resource directory lies in no section"},
        {{{l.resourceEntry + 4, 0xFFFFFFFF}}, "resource directory lies outside the file"},
        {{{help.dataEntry, 0x00FFFF00}}, "resource QRV.HLP: its data lies in no section"},
        {{{help.dataEntry + 4, 0xFFFFFFFF}}, "resource QRV.HLP: its data lies outside the file"},
        {{{help.nameString + 8, 0x48000A}, {help.dataEntry, 0x00FFFF00}}, "resource QRV?HLP: its data lies in no section"},
        {{{section + 8, 0x100000}, {help.dataEntry, sectionRva + 0x80000}}, "resource QRV.HLP: its data lies outside the file"},
        {{{rawDataType + 4, 0x80000000u | 0x7FFFFFF0u}}, "resource directory entry points outside the resource directory"},
        {{{help.languageEntry + 4, 0x7FFFFFFE}}, "resource directory entry points outside the resource directory"},
        {{{help.nameEntry, 0xFFFFFFFF}}, "resource name lies outside the resource directory"},
        {{{l.tree + 12, get32(program, l.tree + 12) + 0x20000000}}, "resource directory's entries run past its end"},
        {{{l.tree + 12, 0xFFFFFFFF}}, "resource directory has too many entries (over 65536)"},
        {{{help.nameEntry + 4, 0x80000000u | treeOffset(names)}}, "resource directory loops back on itself"},
        {{{shapes.nameEntry + 4, get32(program, help.nameEntry + 4)}}, "resource directory reaches one subdirectory twice"},
        {{{l.tree + 16, 10}, {l.tree + 20, get32(program, rawDataType + 4)}, {l.tree + 24, 10},
          {l.tree + 28, get32(program, rawDataType + 4)}},
         "resource directory reaches one subdirectory twice"},
        {{{help.nameEntry + 4, get32(program, help.nameEntry + 4) & 0x7FFFFFFF}}, "not three levels deep"},
        {{{help.languageEntry + 4, get32(program, shapes.nameEntry + 4)}}, "resource directory is more than three levels deep"},
    };
    for (const auto& [changes, reason] : rows) {
        Bytes image = program;
        for (const auto& [at, value] : changes) put32(image, at, value);
        std::string said = refusal(image, image.size());
        EXPECT_NE(said.find(reason), std::string::npos) << "expected '" << reason << "', got '" << said << "'";
    }
    // A program without a resource table has no resources, and no payloads.
    for (auto [at, value] : {std::pair<size_t, uint32_t>{l.optionalHeader + 92, 2}, {l.resourceEntry, 0}}) {
        Bytes image = program;
        put32(image, at, value);
        EXPECT_TRUE(readRawDataResources(image.data(), image.size()).rawData.empty());
    }
    EXPECT_EQ(refusal({}, 0), "not a Windows program (no MZ header)");
    EXPECT_EQ(refusal(program, get32(program, 0x3C) + 2), "PE header lies outside the file (truncated?)");
    EXPECT_EQ(refusal(program, l.rsrcSection + 20), "section table lies outside the file (truncated?)");
}

// Every truncation is refused (in a copy of exactly the bytes, now and then,
// for the sanitized build to see a stray read); the fuzzer tries the rest.
TEST_F(SetupReading, EveryTruncationIsRefused)
{
    for (size_t length = 0; length < program.size(); length++) {
        Bytes cut = length % 997 ? Bytes() : Bytes(program.begin(), program.begin() + long(length));
        ASSERT_NE(refusal(cut.empty() ? program : cut, length), "accepted") << length;
    }
}

// The check records, read as written, and refused with the place of the
// fault when they are not.
TEST(PayloadChecks, ToolReadsTheRecordsWithTheirPaddingOrRefusesSayingWhere)
{
    auto table = [](const std::vector<std::pair<uint32_t, std::string>>& records) {
        std::string bytes;
        for (const auto& [crc, name] : records)
            bytes += (std::string(reinterpret_cast<const char*>(&crc), 4) + name).append(4 - name.size() % 4, '\0');
        return bytes;
    };
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
    std::string good = table({{1, "QRV.EXE"}, {2, "HELP.QRD"}});
    const std::pair<std::string, std::string> rows[] = {
        {good + table({{0xFFFFFFFF, "QRV"}}), "QRV.EXE=1 HELP.QRD=2 QRV=4294967295 "},
        {table({{1, "A"}}) + std::string("\2\0\0\0B\0", 6), "A=1 B=2 "},  // the last record's padding may be missing
        {"", ""},
        {good.substr(0, 14), "PAYLOADCRC: record cut short at byte 12"},
        {good.substr(0, 20), "PAYLOADCRC: name without its ending NUL at byte 16"},
        {table({{1, "A"}}) + std::string(8, '\0'), "PAYLOADCRC: empty name at byte 12"},
        {good.substr(0, 26) + " " + good.substr(27), "PAYLOADCRC: padding that is not NUL at byte 26"},
        {good + table({{3, "qrv.exe"}}), "PAYLOADCRC: qrv.exe given twice at byte 28"},
        {table({{1, "A\nB"}, {2, "a\nb"}}), "PAYLOADCRC: a?b given twice at byte 8"},
    };
    for (const auto& [bytes, outcome] : rows) EXPECT_EQ(read(bytes), outcome);
}

std::string record(uint32_t crc, const std::string& name)
{
    std::string bytes(reinterpret_cast<const char*>(&crc), 4);  // little-endian, as both targets are
    return (bytes + name).append(payloadCheckRecordSize(uint32_t(name.size())) - 4 - name.size(), '\0');
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
