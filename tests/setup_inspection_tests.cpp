// lzari list, extract and verify as a support person uses them: on small
// programs made in the test (with and without PAYLOADCRC, with damaged and
// hostile resources) and on the built setup.exe and damaged copies of it.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <zlib.h>

#include <fstream>
#include <regex>
#include <sstream>

#include "codec_support.h"
#include "file_time_text.h"
#include "pe_image_builder.h"
#include "pe_resources.h"
#include "tool_fixture.h"

namespace {

struct ProgramFile {
    std::string name;
    Bytes content;
    std::string time;  // UTC
};

const std::vector<ProgramFile>& programFiles()
{
    static const std::vector<ProgramFile> files = {{"QRV.HLP", textBytes(5000, 61), "2020-01-24 15:27:22"},
                                                   {"SHAPES.QRD", randomBytes(632, 62), "2013-05-13 15:27:48"},
                                                   {"EMPTY.TXT", {}, "2003-06-19 20:05:04"}};
    return files;
}

uint32_t crcOf(const Bytes& bytes) { return uint32_t(crc32(0, bytes.data(), uInt(bytes.size()))); }

Bytes packed(const ProgramFile& file) { return asVersion1(encode(file.content), *parseFileTime(file.time)); }

std::vector<TestResource> payloadResources()
{
    std::vector<TestResource> resources;
    for (const ProgramFile& file : programFiles()) resources.push_back({10, file.name, 0, 1033, packed(file)});
    return resources;
}

TestResource checksums(const std::vector<ChecksumRecord>& records)
{
    return {10, "PAYLOADCRC", 0, 1033, checksumTable(records)};
}

std::vector<ChecksumRecord> trueChecksums()
{
    std::vector<ChecksumRecord> records;
    for (const ProgramFile& file : programFiles()) records.push_back({crcOf(file.content), file.name});
    return records;
}

std::vector<std::string> linesOf(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

std::vector<std::string> wordsOf(const std::string& line)
{
    std::vector<std::string> words;
    std::istringstream in(line);
    for (std::string word; in >> word;) words.push_back(word);
    return words;
}

bool contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

class SetupInspection : public LzariTool {
protected:
    void writeProgram(const std::string& name, std::vector<TestResource> resources)
    {
        spit(name, buildTestImage(resources).bytes);
    }

    // The extracted file is the program file, with its time to the second.
    void expectExtracted(const std::string& folder, const ProgramFile& file)
    {
        EXPECT_EQ(firstDifference(file.content, read(folder + "/" + file.name)), "equal") << file.name;
        timespec time = modificationTime(path(folder + "/" + file.name));
        EXPECT_EQ(formatFileTime(*fileTimeFromTimespec(time)), file.time) << file.name;
    }
};

TEST_F(SetupInspection, ListShowsEachPayloadWithItsCrcCheck)
{
    std::vector<TestResource> resources = payloadResources();
    resources.push_back(checksums(trueChecksums()));
    writeProgram("setup.exe", resources);
    ToolRun run = lzari("list " + path("setup.exe"));
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.err, "");
    std::vector<std::string> lines = linesOf(run.out);
    ASSERT_EQ(lines.size(), 5u) << run.out;
    EXPECT_EQ(wordsOf(lines[0]), (std::vector<std::string>{"NAME", "VERSION", "PACKED", "UNPACKED", "TIME", "(UTC)",
                                                           "CRC-32"}));
    for (size_t i = 0; i < programFiles().size(); i++) {
        const ProgramFile& file = programFiles()[i];
        std::string time = file.time;
        EXPECT_EQ(wordsOf(lines[i + 1]),
                  (std::vector<std::string>{file.name, "1", std::to_string(packed(file).size()),
                                            std::to_string(file.content.size()), time.substr(0, 10), time.substr(11),
                                            "matches"}));
    }
    EXPECT_EQ(lines[4], "3 payloads; CRC-32 checked against PAYLOADCRC");

    writeProgram("plain.exe", payloadResources());
    run = lzari("list " + path("plain.exe"));
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(wordsOf(linesOf(run.out)[1]).back(), "-");
    EXPECT_EQ(linesOf(run.out).back(), "3 payloads; no PAYLOADCRC to check them against");
}

TEST_F(SetupInspection, ExtractWritesEachPayloadWithItsTimeAndVerifyAgrees)
{
    std::vector<TestResource> resources = payloadResources();
    resources.push_back(checksums(trueChecksums()));
    writeProgram("setup.exe", resources);
    ToolRun run = lzari("extract " + path("setup.exe") + " " + path("out/product"));
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(linesOf(run.out).size(), 3u) << "one line per file written";
    EXPECT_EQ(listing("out/product"), "EMPTY.TXT QRV.HLP SHAPES.QRD ") << "no temporary left, no PAYLOADCRC file";
    for (const ProgramFile& file : programFiles()) expectExtracted("out/product", file);

    run = lzari("verify " + path("setup.exe") + " " + path("out/product"));
    EXPECT_EQ(run.exitCode, 0) << run.out << run.err;
    EXPECT_EQ(run.out, "3 payloads compared with " + path("out/product") + ": 3 match, 0 differ\n");
}

TEST_F(SetupInspection, VerifyTellsEachDifferenceOnItsOwnLine)
{
    writeProgram("setup.exe", payloadResources());
    ASSERT_EQ(lzari("extract " + path("setup.exe") + " " + path("out")).exitCode, 0);
    unlink(path("out/EMPTY.TXT").c_str());
    Bytes help = read("out/QRV.HLP");
    help[1234] ^= 1;
    help.push_back('!');
    spit("out/QRV.HLP", help);
    timespec times[2] = {{0, UTIME_OMIT}, {1369754868, 500}};  // 2013-05-28 15:27:48.0000005
    ASSERT_EQ(utimensat(AT_FDCWD, path("out/SHAPES.QRD").c_str(), times, 0), 0);

    ToolRun run = lzari("verify " + path("setup.exe") + " " + path("out"));
    EXPECT_EQ(run.exitCode, 1);
    std::string program = path("setup.exe"), out = path("out");
    EXPECT_EQ(run.out, "QRV.HLP: size differs: 5000 bytes in " + program + ", 5001 in " + out + "/QRV.HLP\n" +
                           "QRV.HLP: bytes differ from offset 1234\n"
                           "QRV.HLP: modification time differs: 2020-01-24 15:27:22 UTC in " + program +
                           ", " + formatFileTime(*fileTimeFromTimespec(modificationTime(out + "/QRV.HLP"))) +
                           " UTC in " + out + "/QRV.HLP\n" +
                           "SHAPES.QRD: modification time differs: 2013-05-13 15:27:48 UTC in " + program +
                           ", 2013-05-28 15:27:48.0000005 UTC in " + out + "/SHAPES.QRD\n" +
                           "EMPTY.TXT: missing: no file " + out + "/EMPTY.TXT\n" +
                           "3 payloads compared with " + out + ": 0 match, 3 differ\n");
}

TEST_F(SetupInspection, ACrcThatDiffersOrIsMissingStopsThatFileOnly)
{
    std::vector<ChecksumRecord> records = trueChecksums();
    records[0].crc ^= 0x00010000u;                   // QRV.HLP's is wrong
    records.erase(records.begin() + 1);              // SHAPES.QRD has none
    records.push_back({0x12345678u, "GONE.TXT"});    // a file the program lacks
    std::vector<TestResource> resources = payloadResources();
    resources.push_back(checksums(records));
    writeProgram("setup.exe", resources);

    ToolRun list = lzari("list " + path("setup.exe"));
    EXPECT_EQ(list.exitCode, 1);
    std::vector<std::string> rows = linesOf(list.out);
    ASSERT_EQ(rows.size(), 5u) << list.out;
    EXPECT_EQ(wordsOf(rows[1]).back(), "DIFFERS");
    EXPECT_TRUE(contains(rows[2], "no record")) << rows[2];
    EXPECT_EQ(wordsOf(rows[3]).back(), "matches");
    char wrong[96];
    snprintf(wrong, sizeof wrong, "CRC-32 of the decoded bytes is %08X, PAYLOADCRC says %08X",
             crcOf(programFiles()[0].content), records[0].crc);
    EXPECT_EQ(list.err, "lzari: " + path("setup.exe") + ": QRV.HLP: " + wrong + "\n" +
                            "lzari: " + path("setup.exe") + ": SHAPES.QRD: PAYLOADCRC has no record for it\n" +
                            "lzari: " + path("setup.exe") +
                            ": PAYLOADCRC has a record for GONE.TXT, which the program does not carry\n");

    ToolRun extract = lzari("extract " + path("setup.exe") + " " + path("out"));
    EXPECT_EQ(extract.exitCode, 1);
    EXPECT_EQ(linesOf(extract.err).size(), 2u) << extract.err;
    EXPECT_EQ(listing("out"), "EMPTY.TXT ") << "no file, whole or partial, for a payload that fails its check";
    EXPECT_EQ(lzari("verify " + path("setup.exe") + " " + path("out")).exitCode, 1);
}

TEST_F(SetupInspection, NamesThatCouldLeadOutsideTheFolderAreRefused)
{
    for (const std::string name : {"../evil", "a/b", "a\\b", "C:evil", "..", ".", "tab\there", "z"}) {
        TestImage image = buildTestImage({{10, "QRV.HLP", 0, 1033, packed(programFiles()[0])},
                                          {10, name, 0, 1033, packed(programFiles()[1])}});
        if (name == "z") put16(image.bytes, image.names.at("z"), 0);  // an empty name
        spit("setup.exe", image.bytes);
        for (const char* command : {"extract", "verify"}) {
            ToolRun run = lzari(std::string(command) + " " + path("setup.exe") + " " + path("out/inner"));
            EXPECT_NE(run.exitCode, 0) << name;
            EXPECT_TRUE(contains(run.err, "could name a file outside " + path("out/inner") + "; nothing done"))
                << run.err;
            EXPECT_EQ(linesOf(run.err).size(), 1u) << run.err;
        }
        EXPECT_EQ(listing(), "setup.exe ") << name << ": nothing written, not even the folder";
    }
}

TEST_F(SetupInspection, ABadProgramOrPayloadIsOneClearLine)
{
    expectFailure("list " + path("nothing-here.exe"), "nothing-here.exe");
    spit("text.exe", bytesOf("just some text, not a program"));
    expectFailure("list " + path("text.exe"), "text.exe: not a Windows program (no MZ header)");
    writeProgram("empty.exe", {{2, "LOGO", 0, 1033, bytesOf("BM")}});
    expectFailure("extract " + path("empty.exe") + " " + path("out"), "empty.exe: carries no payload resources");
    writeProgram("badcrc.exe", {payloadResources()[0], {10, "PAYLOADCRC", 0, 1033, bytesOf("abc")}});
    expectFailure("list " + path("badcrc.exe"), "badcrc.exe: PAYLOADCRC: record cut short at byte 0");
    std::vector<TestResource> twice = payloadResources();
    twice.push_back({10, "qrv.hlp", 0, 1031, packed(programFiles()[1])});
    writeProgram("twice.exe", twice);
    expectFailure("verify " + path("twice.exe") + " " + path("out"), "twice.exe: resource qrv.hlp given twice");

    // A resource that is not a container still gets its row in the list.
    writeProgram("notpacked.exe", {{10, "README.TXT", 0, 1033, bytesOf("hello")}, payloadResources()[1]});
    ToolRun list = lzari("list " + path("notpacked.exe"));
    EXPECT_EQ(list.exitCode, 1);
    EXPECT_EQ(wordsOf(linesOf(list.out)[1]), (std::vector<std::string>{"README.TXT", "?", "5", "?", "?", "damaged"}));
    EXPECT_EQ(list.err, "lzari: " + path("notpacked.exe") + ": README.TXT: not an LZARI container\n");
    EXPECT_EQ(listing(), "badcrc.exe empty.exe notpacked.exe text.exe twice.exe ") << "no folder made";
}

// ----- The built setup.exe ---------------------------------------------------

struct ShippedPayload {
    std::string name;
    std::string source;
    std::string time;
};

// The payloads as the Win32 build packed them: the payload list it wrote
// from the product's manifest.
std::vector<ShippedPayload> shippedPayloads()
{
    std::ifstream in(PAYLOAD_LIST);
    std::regex line(R"re(^payload\("([^"]+)"\s+"([^"]+)"\s+"([^"]+)")re");
    std::vector<ShippedPayload> payloads;
    for (std::string text; std::getline(in, text);) {
        std::smatch match;
        if (!std::regex_search(text, match, line)) continue;
        payloads.push_back({match[1], match[2], match[3]});
    }
    return payloads;
}

class ShippedSetupExe : public LzariTool {
protected:
    std::string setupExe = std::string(WIN32_BUILD_DIR) + "/wizard/setup.exe";

    void SetUp() override
    {
        if (std::string(WIN32_BUILD_DIR).empty()) GTEST_SKIP() << "no Win32 build";
        LzariTool::SetUp();
    }

    // A copy of setup.exe changed by `damage`.
    std::string damagedCopy(const std::string& name, void (*damage)(Bytes&))
    {
        Bytes program = bytesOf(slurp(setupExe));
        damage(program);
        spit(name, program);
        return path(name);
    }
};

TEST_F(ShippedSetupExe, ListsExtractsAndVerifiesTheStandInsByteForByte)
{
    std::vector<ShippedPayload> shipped = shippedPayloads();
    ASSERT_EQ(shipped.size(), 5u);
    ToolRun list = lzari("list " + setupExe);
    EXPECT_EQ(list.exitCode, 0) << list.err;
    EXPECT_EQ(linesOf(list.out).size(), 7u) << list.out;
    EXPECT_TRUE(contains(list.out, "5 payloads; CRC-32 checked against PAYLOADCRC")) << list.out;

    ToolRun extract = lzari("extract " + setupExe + " " + path("out"));
    ASSERT_EQ(extract.exitCode, 0) << extract.err;
    for (const ShippedPayload& payload : shipped) {
        Bytes source = bytesOf(slurp(payload.source));
        ASSERT_FALSE(source.empty()) << payload.source;
        EXPECT_EQ(firstDifference(source, read("out/" + payload.name)), "equal") << payload.name;
        EXPECT_EQ(formatFileTime(*fileTimeFromTimespec(modificationTime(path("out/" + payload.name)))), payload.time);
        std::string row;
        for (const std::string& line : linesOf(list.out))
            if (wordsOf(line)[0] == payload.name) row = line;
        EXPECT_TRUE(contains(row, " " + std::to_string(source.size()) + "  " + payload.time + "  matches")) << row;
    }
    ToolRun verify = lzari("verify " + setupExe + " " + path("out"));
    EXPECT_EQ(verify.exitCode, 0) << verify.out;
    EXPECT_EQ(verify.out, "5 payloads compared with " + path("out") + ": 5 match, 0 differ\n");
}

TEST_F(ShippedSetupExe, TruncatedCopiesAreRefusedWholeWithOneLine)
{
    Bytes program = bytesOf(slurp(setupExe));
    PeResources resources = readRawDataResources(program.data(), program.size());
    for (size_t length : {size_t(100), size_t(1000), resources.directoryOffset + 40,
                          size_t(resources.rawData[1].data - program.data()) + 10, program.size() - 1}) {
        spit("cut.exe", Bytes(program.begin(), program.begin() + long(length)));
        expectFailure("list " + path("cut.exe"), "cut.exe: ");
        expectFailure("extract " + path("cut.exe") + " " + path("out"), "outside the file (truncated?)");
        expectFailure("verify " + path("cut.exe") + " " + path("out"), "cut.exe: ");
        EXPECT_EQ(listing(), "cut.exe ") << length;
    }
}

TEST_F(ShippedSetupExe, AFlippedByteInTheResourceDirectoryIsRefused)
{
    std::string copy = damagedCopy("flipped.exe", [](Bytes& program) {
        // The RCDATA entry of the root: its subdirectory's offset made far
        // larger than the tree.
        size_t root = readRawDataResources(program.data(), program.size()).directoryOffset;
        size_t count = (get32(program, root + 12) & 0xFFFF) + (get32(program, root + 12) >> 16);
        for (size_t entry = root + 16; entry < root + 16 + 8 * count; entry += 8)
            if (get32(program, entry) == 10) program[entry + 6] ^= 0xFF;
    });
    const std::string reason = "flipped.exe: resource directory entry points outside the resource directory";
    expectFailure("list " + copy, reason);
    expectFailure("extract " + copy + " " + path("out"), reason);
    expectFailure("verify " + copy + " " + path("out"), reason);
    EXPECT_EQ(listing(), "flipped.exe ");
}

TEST_F(ShippedSetupExe, AFlippedByteInAPayloadStopsThatFileOnly)
{
    std::string copy = damagedCopy("flipped.exe", [](Bytes& program) {
        for (const RawDataResource& resource : readRawDataResources(program.data(), program.size()).rawData)
            if (resource.name == "QRV.HLP") program[size_t(resource.data - program.data()) + resource.size / 2] ^= 0x10;
    });
    ToolRun list = lzari("list " + copy);
    EXPECT_EQ(list.exitCode, 1);
    EXPECT_EQ(list.err, "lzari: " + copy + ": QRV.HLP: damaged or truncated container\n");
    EXPECT_TRUE(std::regex_search(list.out, std::regex(R"(\nQRV\.HLP +1 .* damaged\n)"))) << list.out;

    ToolRun extract = lzari("extract " + copy + " " + path("out"));
    EXPECT_EQ(extract.exitCode, 1);
    EXPECT_EQ(extract.err, list.err);
    EXPECT_EQ(listing("out"), "DOCREADER.EXE HELP.QRD QRV.EXE SHAPES.QRD ") << "no QRV.HLP, whole or partial";

    ASSERT_EQ(lzari("extract " + setupExe + " " + path("good")).exitCode, 0);
    ToolRun verify = lzari("verify " + copy + " " + path("good"));
    EXPECT_EQ(verify.exitCode, 1);
    EXPECT_EQ(verify.err, list.err);
    EXPECT_TRUE(contains(verify.out, ": 4 match, 1 differ")) << verify.out;
}

}  // namespace
