// The lzari tool as a publisher and a support person use it: the real
// binary on real files, and on the built setup.exe and damaged copies of it.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <functional>
#include <regex>

#include "codec_support.h"
#include "file_time_text.h"
#include "program_bytes.h"

namespace {

struct ToolRun {
    int exitCode;
    std::string out, err;
};

// A scratch folder, and commands run in it: lzari, the real binary.
class LzariTool : public ::testing::Test {
protected:
    std::string dir;
    void SetUp() override
    {
        char pattern[] = "/tmp/lzari-test-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir = pattern;
    }
    void TearDown() override { std::system(("rm -rf '" + dir + "'").c_str()); }
    ToolRun run(const std::string& command) const
    {
        int status = std::system(("cd '" + dir + "' && " + command + " >.out 2>.err").c_str());
        ToolRun run{WIFEXITED(status) ? WEXITSTATUS(status) : -1, text(".out"), text(".err")};
        std::system(("rm -f '" + dir + "/.out' '" + dir + "/.err'").c_str());
        return run;
    }
    ToolRun lzari(const std::string& arguments) const { return run(LZARI_TOOL " " + arguments); }
    std::string listing(const std::string& folder = "") const { return run("ls " + folder).out; }
    void spit(const std::string& name, const Bytes& bytes) const
    {
        std::ofstream(dir + "/" + name, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), long(bytes.size()));
    }
    Bytes read(const std::string& name) const { return fileBytes(dir + "/" + name); }
    std::string text(const std::string& name) const
    {
        Bytes bytes = read(name);
        return std::string(bytes.begin(), bytes.end());
    }
    std::string timeText(const std::string& name) const
    {
        struct stat status = {};
        stat((dir + "/" + name).c_str(), &status);
        return formatFileTime(*fileTimeFromTimespec(status.st_mtim));
    }
    // A failure told in one line on stderr that mentions `mention`.
    void expectFailure(const std::string& arguments, const std::string& mention) const
    {
        ToolRun run = lzari(arguments);
        EXPECT_NE(run.exitCode, 0) << arguments;
        EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << arguments << ": " << run.err;
        EXPECT_NE(run.err.find(mention), std::string::npos) << arguments << ": " << run.err;
    }
};

TEST_F(LzariTool, PackUnpackAndInfoKeepTheBytesAndTheTime)
{
    Bytes product = textBytes(130843, 51);
    spit("QRV.HLP", product);
    ASSERT_EQ(lzari("pack --v1 --time '2020-01-24 15:27:22' QRV.HLP QRV.lz").exitCode, 0);
    ASSERT_EQ(lzari("unpack QRV.lz back").exitCode, 0);
    EXPECT_EQ(firstDifference(product, read("back")), "equal");
    EXPECT_EQ(timeText("back"), "2020-01-24 15:27:22");
    struct stat status = {};
    mode_t mask = umask(0);
    umask(mask);
    stat((dir + "/back").c_str(), &status);
    EXPECT_EQ(status.st_mode & 0777, 0666 & ~mask) << "as any new file";
    EXPECT_TRUE(std::regex_match(lzari("info QRV.lz").out, std::regex("QRV.lz: version 1, unpacked 130843 bytes, "
                                                                     "packed \\d+ bytes, ratio \\d+\\.\\d%, time "
                                                                     "2020-01-24 15:27:22 UTC\n")));

    // The file's own time, to the tenth of a microsecond.
    timespec times[2] = {{0, UTIME_OMIT}, {1369754868, 123456700}};  // 2013-05-28 15:27:48.1234567
    ASSERT_EQ(utimensat(AT_FDCWD, (dir + "/QRV.HLP").c_str(), times, 0), 0);
    ASSERT_EQ(lzari("pack --v1 QRV.HLP own.lz && " LZARI_TOOL " unpack own.lz own").exitCode, 0);
    EXPECT_EQ(timeText("own"), "2013-05-28 15:27:48.1234567");

    // Version 0 is what the encoder writes, with no time; an empty file packs.
    ASSERT_EQ(lzari("pack QRV.HLP v0.lz && " LZARI_TOOL " pack --best QRV.HLP best.lz").exitCode, 0);
    EXPECT_EQ(read("v0.lz"), encode(product));
    EXPECT_EQ(read("best.lz"), encodeBest(product));
    spit("empty", {});
    ASSERT_EQ(lzari("pack --v1 --time '2000-02-29 20:05:04' empty e.lz && " LZARI_TOOL " unpack e.lz e").exitCode, 0);
    EXPECT_EQ(read("e.lz").size() + read("e").size(), 16u);
    EXPECT_EQ(timeText("e"), "2000-02-29 20:05:04");
}

TEST_F(LzariTool, BadInputIsOneClearLineAndLeavesNoOutput)
{
    spit("in", textBytes(20000, 55));
    lzari("pack --v1 --time '2022-11-30 18:49:42' in good.lz");
    // (Every kind of damaged container: the verdict's own table.)
    Bytes good = read("good.lz"), beyond = good;  // past 30828, the latest time Windows takes
    put32(beyond, beyond.size() - 4, 1u << 31);
    spit("beyond.lz", beyond);
    spit("bad.lz", bytesOf("LzaR but nothing else that makes sense"));
    spit("out", bytesOf("the old file"));
    const std::pair<const char*, const char*> rows[] = {
        {"unpack nothing-here out", "nothing-here"}, {"unpack in out", "in: not an LZARI container"},
        {"unpack bad.lz out", "bad.lz: damaged"},
        {"unpack beyond.lz out", "the file system would keep another"},
        {"pack --v1 --time '1601-01-01 00:00:00' in out", "bad time"},  // 0: no time to Windows
        {"pack --v1 --time '2022-02-30 00:00:00' in out", "bad time"},
        {"pack --v1 --time yesterday in out", "bad time"}, {"pack --v1 --time '2022-11-30 24:00:00' in out", "bad time"},
        {"pack --v1 --time '2022-11-30 23:60:00' in out", "bad time"}, {"pack --v1 --time '2022-11-30 23:59:60' in out", "bad time"},
        {"pack in no-such-folder/out", "no-such-folder/out"},
    };
    for (const auto& [arguments, mention] : rows) expectFailure(arguments, mention);
    EXPECT_EQ(text("out"), "the old file");
    EXPECT_EQ(listing(), "bad.lz\nbeyond.lz\ngood.lz\nin\nout\n");
    EXPECT_FALSE(fileTimeFromTimespec({2000000000000, 0})) << "year 65347";

    // A length no stream fills (4 MB declaring 4 GB): decoding stops where
    // the stream runs out, in memory and time no more than its own.
    Bytes bomb = randomBytes(4 << 20, 9);
    bomb.insert(bomb.begin(), {'L', 'Z', 'a', 'r'});
    bomb.insert(bomb.end(), 4, 0xFF);
    spit("bomb.lz", bomb);
    ToolRun bombed = run("/usr/bin/time -f %M " LZARI_TOOL " info bomb.lz");  // the last line: the peak in KB
    EXPECT_EQ(bombed.err.substr(0, bombed.err.find('\n')), "lzari: bomb.lz: damaged or truncated container");
    EXPECT_LT(std::stol(bombed.err.substr(bombed.err.rfind('\n', bombed.err.size() - 2) + 1)), 100000) << bombed.err;
    // A pipe or a device is read as a stream (one that no one writes is
    // empty, not a wait forever).
    run("mkfifo pipe");
    expectFailure("info pipe", "pipe: not an LZARI container");
    EXPECT_EQ(run("cat good.lz | " LZARI_TOOL " unpack /dev/stdin piped && cmp piped in").exitCode, 0);
    // Through a device or to standard output as they are; never over a link.
    run("ln -s in link");
    expectFailure("unpack good.lz link", "won't write link: it is a symbolic link");
    EXPECT_EQ(run("readlink link").out + text("in").substr(0, 10), "in\n" + text("in").substr(0, 10));
    EXPECT_EQ(lzari("unpack good.lz /dev/null").exitCode + run("test -c /dev/null").exitCode, 0);
    EXPECT_EQ(lzari("unpack good.lz -").out, text("in"));
    EXPECT_EQ(lzari("unpack good.lz " + std::string(255, 'n')).exitCode, 0) << "the longest name a file may have";
    ToolRun info = lzari("info good.lz missing in");
    EXPECT_EQ(info.exitCode, 1);
    EXPECT_EQ(info.out.substr(0, 19), "good.lz: version 1,");
    EXPECT_TRUE(std::regex_match(info.err, std::regex("lzari: .*missing.*\nlzari: in: not an LZARI container\n"))) << info.err;
}

// ----- the built setup.exe ----------------------------------------------------

class ShippedSetupExe : public LzariTool {
protected:
    std::string setupExe;
    void SetUp() override
    {
        const char* built = getenv("SETUP_EXE");
        if (!built || fileBytes(built).empty()) GTEST_SKIP() << "SETUP_EXE names no built setup.exe";
        setupExe = built;
        LzariTool::SetUp();
    }
    // A copy of setup.exe, changed by `damage`, as copy.exe in the folder.
    void damagedCopy(const std::function<void(Bytes&)>& damage) const
    {
        Bytes program = fileBytes(setupExe);
        damage(program);
        spit("copy.exe", program);
    }
};

TEST_F(ShippedSetupExe, ListsExtractsAndVerifiesItsPayloads)
{
    // The payloads as the Win32 build packed them, from the list it wrote;
    // the files under the names the installer writes (the row's last field).
    std::ifstream in(setupExe.substr(0, setupExe.rfind("/wizard/")) + "/products/setup/product_payloads.cmake");
    std::regex row(R"re(^payload\("[^"]+" "([^"]+)" "([^"]+)" "([^"]+)")re");
    std::smatch shipped;
    ToolRun list = lzari("list " + setupExe), extract = lzari("extract " + setupExe + " out");
    ASSERT_EQ(list.exitCode + extract.exitCode, 0) << list.err << extract.err;
    EXPECT_EQ(list.out.substr(0, list.out.find('\n')),
              "NAME           VERSION      PACKED    UNPACKED  TIME (UTC)           CRC-32");
    EXPECT_NE(list.out.find("\n5 payloads; CRC-32 checked against PAYLOADCRC\n"), std::string::npos) << list.out;
    int payloads = 0;
    for (std::string line; std::getline(in, line);) {
        if (!std::regex_search(line, shipped, row)) continue;
        std::string name = shipped[3], time = shipped[2];
        Bytes source = fileBytes(shipped[1]);
        EXPECT_EQ(firstDifference(source, read("out/" + name)), "equal") << name;
        EXPECT_EQ(timeText("out/" + name), time);
        // Packed with the best parse, as a product is unless its manifest asks otherwise.
        std::regex listed("\n" + std::regex_replace(name, std::regex("\\."), "\\.") + " +1 +" +
                          std::to_string(encodeBest(source).size() + 8) + " +" + std::to_string(source.size()) + "  " +
                          time + "  matches\n");
        EXPECT_TRUE(std::regex_search(list.out, listed) && ++payloads) << list.out;
    }
    EXPECT_EQ(payloads, 5);
    ToolRun verify = lzari("verify " + setupExe + " out");
    EXPECT_EQ(verify.out + std::to_string(verify.exitCode), "5 payloads compared with out: 5 match, 0 differ\nsignature: not signed\n0");
    expectFailure("extract " + setupExe + " out", "out/DocReader.EXE is there already; nothing done (--force replaces it)");
    EXPECT_EQ(lzari("extract --force " + setupExe + " out").exitCode, 0);

    // Each difference on its own line; names in any letter case, as Windows
    // finds them, and a file the program does not carry.
    run("mv out/QRV.EXE out/Qrv.exe && echo extra >out/EXTRA.TXT");
    unlink((dir + "/out/HELP.QRD").c_str());
    Bytes help = read("out/QRV.HLP");
    help[123] ^= 1;
    help.push_back('!');
    spit("out/QRV.HLP", help);
    ASSERT_EQ(truncate((dir + "/out/SHAPES.QRD").c_str(), 120), 0);
    timespec times[2] = {{0, UTIME_OMIT}, {1369754868, 500}};  // 2013-05-28 15:27:48.0000005
    ASSERT_EQ(utimensat(AT_FDCWD, (dir + "/out/SHAPES.QRD").c_str(), times, 0), 0);
    verify = lzari("verify " + setupExe + " out");
    EXPECT_EQ(verify.exitCode, 1);
    EXPECT_EQ(verify.out, "HELP.QRD: missing: no file out/HELP.QRD\n"
                          "QRV.HLP: size differs: 938 bytes in " + setupExe + ", 939 in out/QRV.HLP\n"
                          "QRV.HLP: bytes differ from offset 123\n"
                          "QRV.HLP: modification time differs: 2020-01-24 15:27:22 UTC in " + setupExe + ", " +
                              timeText("out/QRV.HLP") + " UTC in out/QRV.HLP\n"
                          "SHAPES.QRD: size differs: 121 bytes in " + setupExe + ", 120 in out/SHAPES.QRD\n"
                          "SHAPES.QRD: modification time differs: 2013-05-13 15:27:48 UTC in " + setupExe +
                              ", 2013-05-28 15:27:48.0000005 UTC in out/SHAPES.QRD\n"
                          "EXTRA.TXT: in out, not carried by " + setupExe + "\n"
                          "5 payloads compared with out: 2 match, 3 differ\nsignature: not signed\n");
}

// A product named in other alphabets (the tests' unicode_setup.exe): the
// names listed in UTF-8 in columns as a terminal shows them, written as they
// are, and a file found whatever the case of its letters, in any alphabet.
TEST_F(ShippedSetupExe, KeepsNamesInEveryAlphabet)
{
    std::string program = setupExe.substr(0, setupExe.rfind("/wizard/")) + "/tests/win32/unicode_setup.exe";
    ToolRun list = lzari("list " + program), extract = lzari("extract " + program + " out");
    ASSERT_EQ(list.exitCode + extract.exitCode, 0) << list.err << extract.err;
    // "Übersicht 😀.txt" takes 16 columns (the emoji two), "概要.txt" 8.
    std::regex listed("NAME {12}  VERSION      PACKED    UNPACKED  TIME \\(UTC\\)           CRC-32\n"
                      "Übersicht 😀\\.txt        1 +\\d+ +153  2024-07-14 12:00:00  matches\n"
                      "Квант\\.exe {7}        1 +\\d+ +\\d+  2026-03-01 08:30:00  matches\n"
                      "概要\\.txt {8}        1 +\\d+ +153  2025-12-24 18:00:00  matches\n"
                      "3 payloads; CRC-32 checked against PAYLOADCRC\nsignature: not signed\n");
    EXPECT_TRUE(std::regex_match(list.out, listed)) << list.out;
    EXPECT_EQ(timeText("out/概要.txt"), "2025-12-24 18:00:00");
    EXPECT_EQ(read("out/Übersicht 😀.txt"), read("out/概要.txt"));
    run("mv 'out/Übersicht 😀.txt' 'out/üBERSICHT 😀.TXT' && mv out/Квант.exe out/КВАНТ.EXE");
    ToolRun verify = lzari("verify " + program + " out");
    EXPECT_EQ(verify.out + std::to_string(verify.exitCode), "3 payloads compared with out: 3 match, 0 differ\nsignature: not signed\n0");
}

// Where a payload's record lies among the check values.
size_t inChecks(const Bytes& p, const char* name)
{
    ResourceParts checks = partsOf(p, "PAYLOADCRC");
    return checks.data + std::string(p.begin() + long(checks.data), p.end()).find(name);
}

// Renames a resource in place.
void rename(Bytes& program, const std::string& from, const std::u16string& to)
{
    size_t at = partsOf(program, from).nameString;
    put32(program, at, uint32_t(to.size()), 2);
    for (size_t i = 0; i < to.size(); i++) put32(program, at + 2 + 2 * i, to[i], 2);
}

// A copy that cannot be read, that carries a payload the installer would
// refuse, or whose payloads could name files outside the folder, is refused
// whole: one line that says why, nothing written.
// (The fuzzer tries the reader's every other check.)
TEST_F(ShippedSetupExe, RefusesADamagedCopyWholeWithOneLine)
{
    struct Row {
        std::function<void(Bytes&, const ResourceParts&)> damage;
        std::string reason, left = "copy.exe\n";  // extract writes the payloads it can
    };
    const Row rows[] = {
        {[](Bytes& p, auto&) { p = bytesOf("just some text"); }, "not a Windows program (no MZ header)"},
        {[](Bytes& p, auto&) { put32(p, 0x3C, uint32_t(p.size() - 2)); }, "PE header lies outside the file (truncated?)"},
        {[](Bytes& p, auto&) { p.resize(get32(p, 0x3C) + 24 + (get32(p, get32(p, 0x3C) + 20) & 0xFFFF) + 50); },
         "section table lies outside the file (truncated?)"},
        {[](Bytes& p, auto&) { put32(p, get32(p, 0x3C) + 24 + 92, 2); }, "carries no payload resources"},
        {[](Bytes& p, auto&) { put32(p, get32(p, 0x3C) + 20, 94, 2); }, "PE optional header is too short"},
        {[](Bytes& p, auto&) { put32(p, get32(p, 0x3C) + 2, 1, 1); }, "not a PE file (no PE signature where the MZ header points)"},
        {[](Bytes& p, auto&) { put32(p, get32(p, 0x3C) + 6, 97, 2); }, "absurd section count 97 (96 at most)"},
        {[](Bytes& p, auto&) { p.resize(p.size() - 100); }, "section .reloc lies outside the file (truncated?)"},
        {[](Bytes& p, auto& r) { put32(p, r.rsrcSection + 20, 0xFFFFFF00); }, "section .rsrc lies outside the file (truncated?)"},
        {[](Bytes& p, auto& r) { put32(p, r.dataEntry + 4, 0xFFFFFFFF); }, "resource QRV.HLP: its data lies outside the file"},
        {[](Bytes& p, auto& r) { put32(p, r.rsrcSection + 8, 1 << 20), put32(p, r.dataEntry, 0xA0000); },
         "resource QRV.HLP: its data lies outside the file"},  // in the section's memory, past its bytes
        {[](Bytes& p, auto& r) { put32(p, r.nameEntry + 4, 0x80000000); }, "resource directory loops back on itself"},
        {[](Bytes& p, auto& r) { put32(p, partsOf(p, "SHAPES.QRD").nameEntry + 4, get32(p, r.nameEntry + 4)); },
         "resource directory reaches one subdirectory twice"},
        {[](Bytes& p, auto& r) { put32(p, entryOf(p, r.tree, r.tree, "10") + 4, 0xFFFFFFF0); },
         "resource directory entry points outside the resource directory"},
        {[](Bytes& p, auto& r) { put32(p, entryOf(p, r.tree, r.tree, "10"), 11); }, "carries no payload resources"},
        {[](Bytes& p, auto&) { rename(p, "QRV.HLP", u"qrv.exe"); }, "resource qrv.exe given twice"},
        {[](Bytes& p, auto& r) {  // one block read under two names: a bomb read twice
             size_t other = partsOf(p, "SHAPES.QRD").dataEntry;
             put32(p, r.dataEntry, get32(p, other)), put32(p, r.dataEntry + 4, get32(p, other + 4) - 1);
         },
         "resources QRV.HLP and SHAPES.QRD share their bytes, as no build makes them"},
        {[](Bytes& p, auto&) { put32(p, partsOf(p, "PAYLOADCRC").dataEntry + 4, 3); }, "PAYLOADCRC: record cut short at byte 0"},
        // A payload the installer would refuse, named with the code it would stop with.
        {[](Bytes& p, auto& r) { p[r.data + 400] ^= 0x10; }, "QRV.HLP: damaged or truncated container; the installer stops with 346",
         "copy.exe\nout\n"},
        {[](Bytes& p, auto& r) {  // the magic of version 0, and no time stamp
             std::copy_n("LZar", 4, &p[r.data]), put32(p, r.dataEntry + 4, get32(p, r.dataEntry + 4) - 8);
         }, "QRV.HLP: a container of version 0; the installer stops with 344", "copy.exe\nout\n"},
        {[](Bytes& p, auto&) { p[inChecks(p, "QRV.HLP") - 2] ^= 1; }, "QRV.HLP: CRC-32 of the decoded bytes is ", "copy.exe\nout\n"},
        {[](Bytes& p, auto&) { put32(p, partsOf(p, "PAYLOADCRC").nameEntry, 99); }, "carries no PAYLOADCRC; the installer stops with 321",
         "copy.exe\nout\n"},
    };
    for (const Row& row : rows) {
        damagedCopy([&](Bytes& p) { row.damage(p, partsOf(p, "QRV.HLP")); });
        for (const char* command : {"list copy.exe", "extract copy.exe out", "verify copy.exe out"})
            expectFailure(command, "copy.exe: " + row.reason);
        EXPECT_EQ(run("{ ls; rm -rf out; }").out, row.left) << row.reason;
    }
    // Names that lead out of the folder, or fool the eye with a control
    // character or a mark that turns the text around (listed with a '?').
    for (const std::u16string name : {u"../evil", u"QRV/HLP", u"QRV\\HLP", u"C:V.HLP", u"QRV\tHLP", u"..", u".", u"",
                                      u"QRV\u009BHLP", u"QRV\u202EHLP"}) {
        damagedCopy([&](Bytes& p) { rename(p, "QRV.HLP", name); });
        for (const char* command : {"extract copy.exe out/inner", "verify copy.exe out/inner"})
            expectFailure(command, "could name a file outside out/inner; nothing done");
        EXPECT_EQ(listing(), "copy.exe\n") << "nothing written, not even the folder";
        EXPECT_TRUE(name.size() < 7 || name[3] < 0x80 || lzari("list copy.exe").out.find("\nQRV?HLP ") != std::string::npos);
    }
    damagedCopy([](Bytes& p) { p[partsOf(p, "QRV.HLP").data + 400] ^= 0x10; });
    EXPECT_NE(lzari("list copy.exe").out.find("  damaged\nSHAPES.QRD "), std::string::npos) << "and the rows after it";
    damagedCopy([](Bytes& p) { rename(p, "QRV.HLP", u".bashrc"); });
    expectFailure("extract copy.exe out", "copy.exe: resource \".bashrc\" would be a hidden file; nothing done");
}

}  // namespace
