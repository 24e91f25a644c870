// A product's manifest: everything the program could not honour is refused
// with one line that names the field. (What the build makes of an accepted
// one is seen whole in the wizard's scenarios, for two products.)
#include <gtest/gtest.h>

#include <unistd.h>

#include <fstream>
#include <cstring>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

#include "product_manifest.h"
#include "product_outputs.h"
#include "names.h"
#include "unicode_text.h"

namespace {

const std::string sourceDir = SOURCE_DIR;

std::string repeat(const std::string& text, size_t times)
{
    std::string all;
    while (times--) all += text;
    return all;
}

// A manifest written into a scratch folder beside a valid logo, icon and
// payloads, from a valid one with one text replaced; the refusal's line
// without the manifest's path, or "accepted".
class ManifestRefusal : public ::testing::Test {
protected:
    std::string folder;
    void SetUp() override
    {
        char pattern[] = "/tmp/manifest-test-XXXXXX";
        folder = mkdtemp(pattern);
        std::ifstream logo(sourceDir + "/resources/logo.bmp", std::ios::binary);
        this->logo.assign(std::istreambuf_iterator<char>(logo), {});
        write("logo.bmp", this->logo);
        write("setup.ico", std::string("\0\0\1\0\1\0", 6));
        write("TOOL.EXE", "a program");
        write("notes.txt", "some notes");
    }
    void TearDown() override { std::system(("rm -rf " + folder).c_str()); }
    void write(const std::string& name, const std::string& bytes)
    {
        std::ofstream(folder + "/" + name, std::ios::binary) << bytes;
    }
    std::string refusal(const std::string& from, const std::string& to) { return refusal({{from, to}}); }
    std::string refusal(const std::vector<std::pair<std::string, std::string>>& changes)
    {
        std::string text = "productName = \"Tool\"\nproductVersion = \"1.0\"\ndefaultFolder = 'C:\\Maker\\Tool'\n"
                           "groupName = \"Maker\"\nproductDescription = \"A tool\"\ndialogTitle = \"Tool Setup\"\n"
                           "logo = \"logo.bmp\"\nicon = \"setup.ico\"\n"
                           "[[payload]]\nname = \"TOOL.EXE\"\nsource = \"TOOL.EXE\"\ntime = \"2020-01-02 03:04:05\"\n"
                           "[[payload]]\nname = \"notes.txt\"\nsource = \"notes.txt\"\ntime = \"file\"\n";
        for (const auto& [from, to] : changes) {
            if (text.find(from) == std::string::npos) return "(no " + from + " in the manifest)";
            for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
                text.replace(at, from.size(), to);
        }
        write("product.toml", text);
        try {
            readProductManifest(folder + "/product.toml", "/build");
            return "accepted";
        } catch (const std::runtime_error& error) {
            std::string line = error.what();
            return line.find('\n') == std::string::npos ? line.substr(line.find(": ") + 2) : "more than one line";
        }
    }
    std::string logo;
};

TEST_F(ManifestRefusal, EveryFieldTheProgramCannotHonourIsNamed)
{
    std::string indexed = logo;
    indexed[28] = 8;
    write("indexed.bmp", indexed);
    write("small.bmp", "BM");
    // The two payloads (9 bytes and a sparse file, which costs no disk) held
    // packed and decoded fill 1 GiB exactly; a byte more is refused.
    if (truncate((folder + "/notes.txt").c_str(), (1 << 29) - 9) != 0) FAIL() << "no sparse file";
    write("TOOL10.EXE", "a program!");
    const std::string ico = "icon = \"setup.ico\"\n";
    const std::string folderRule = "defaultFolder: must be a folder below a drive's root, as C:\\Maker\\Product";
    // 40 fixed characters + "1.0" + "Tool" + 80 make the information text's 127.
    const std::pair<std::pair<std::string, std::string>, std::string> rows[] = {
        {{"\"A tool\"", "\"" + std::string(80, 'd') + "\""}, "accepted"},
        {{"\"A tool\"", "\"" + std::string(81, 'd') + "\""}, "productDescription: the information text (\"This program "
          "will install\", the version, the name and the description) has 128 characters; the dialog holds 127"},
        {{"productVersion = \"1.0\"\n", ""}, "productVersion: missing"},
        {{"\"1.0\"", "\"1.0a\""}, "productVersion: must be up to four numbers of 0 to 65535 with dots between, as 6.10 or 1.2.3.4"},
        {{"\"1.0\"", "\"1.2.3.65536\""}, "productVersion: must be up to four numbers of 0 to 65535 with dots between, as 6.10 or 1.2.3.4"},
        {{"\"1.0\"", "\"1.2.3.4.5\""}, "productVersion: must be up to four numbers of 0 to 65535 with dots between, as 6.10 or 1.2.3.4"},
        {{"\"Tool Setup\"", "\"\""}, "dialogTitle: must not be empty"},
        {{"\"Tool Setup\"", "\"" + std::string(128, 't') + "\""}, "dialogTitle: longer than 127 characters"},
        {{"\"Maker\"", "\"Maker\\\\Tools\""}, "groupName: must be one folder's name: \"\\\" at character 6"},
        {{"\"Maker\"", "\"Maker.\""}, "groupName: must be one folder's name: it ends in a dot or a space"},
        // Any alphabet; lengths in UTF-16 units ("\u00fc" one, the emoji two);
        // names compared as Windows compares them, in every alphabet.
        {{"\"A tool\"", "\"" + repeat("\u00fc", 80) + "\""}, "accepted"},
        {{"\"A tool\"", "\"" + repeat("\U0001F600", 40) + "\""}, "accepted"},
        {{"\"A tool\"", "\"" + repeat("\U0001F600", 40) + "d\""}, "productDescription: the information text (\"This "
          "program will install\", the version, the name and the description) has 128 characters; the dialog holds 127"},
        {{"\"Tool Setup\"", "\"" + repeat("\u00e9", 127) + "\""}, "accepted"},
        {{"\"Tool Setup\"", "\"" + repeat("\u00e9", 128) + "\""}, "dialogTitle: longer than 127 characters"},
        {{"'C:\\Maker\\Tool'", "'C:\\" + repeat("\u00e4", 256) + "'"}, "accepted"},
        {{"'C:\\Maker\\Tool'", "'C:\\" + repeat("\u00e4", 257) + "'"}, "defaultFolder: longer than 259 characters"},
        {{"'C:\\Maker\\Tool'", "'C:\\M\u00fcller\\\u30c4\u30fc\u30eb'"}, "accepted"},
        {{"'C:\\Maker\\Tool'", "'C:\\\u041a\u0432<\u0430'"}, "defaultFolder: \"\u041a\u0432<\u0430\" is no folder name Windows allows: \"<\" at character 3"},
        {{"\"Maker\"", "\"\u0395\u03bb\u03bb\u03b7\u03bd\u03b9\u03ba\u03ac.\""}, "groupName: must be one folder's name: it ends in a dot or a space"},
        {{"= \"Tool\"", "= \"\u041a\u0432\u0430\u043d\u0442\""},
         "payload 1: the shortcuts start \u041a\u0432\u0430\u043d\u0442.EXE, so the first payload must be it, not \"TOOL.EXE\""},
        {{"name = \"notes.txt\"", "name = \"\u6982\u8981.pdf\""}, "accepted"},
        {{"name = \"notes.txt\"", "name = \"" + repeat("\u6982", 251) + ".pdf\""}, "accepted"},
        {{"name = \"notes.txt\"", "name = \"" + repeat("\u6982", 252) + ".pdf\""},
         "payload 2: name longer than 255 characters, the most a file name may have"},
        {{"name = \"notes.txt\"", "name = \"\u00fcbersicht.pdf\""}, "accepted"},
        {{"name = \"notes.txt\"", "name = \"tool.EXE\""}, "payload 2: name \"tool.EXE\" is given twice (letter case aside)"},
        {{"name = \"notes.txt\"", "name = \"\u00fcBERSICHT.PDF\"\nsource = \"notes.txt\"\ntime = \"file\"\n[[payload]]\nname = \"\u00dcbersicht.pdf\""},
         "payload 3: name \"\u00dcbersicht.pdf\" is given twice (letter case aside)"},
        {{"= \"Tool\"", "= \"T\xff\""}, "line 1: Encountered invalid utf-8 sequence"},
        {{"= \"Tool\"", "= \"T\\uD800\""}, "line 1: Error while parsing unicode scalar sequence: unicode surrogates "
                                            "(U+D800 - U+DFFF) are explicitly prohibited"},
        {{"productVersion = \"1.0\"", "productVersion = in"}, "line 2: Error while parsing floating-point: expected 'inf', saw 'in?'"},
        {{"'C:\\Maker\\Tool'", "'C:\\" + std::string(256, 'f') + "'"}, "accepted"},  // 259 characters
        {{"'C:\\Maker\\Tool'", "'C:\\" + std::string(257, 'f') + "'"}, "defaultFolder: longer than 259 characters"},
        {{"'C:\\Maker\\Tool'", "'A:\\Tool'"}, folderRule},  // the folder rules' own table has the rest
        {{"'C:\\Maker\\Tool'", "'C:\\Maker\\Tool\\'"}, folderRule},
        {{"name = \"notes.txt\"", "name = \"docs\\\\notes.txt\""},
         "payload 2: name \"docs\\notes.txt\" must be a file name Windows allows, with no folder part: \"\\\" at character 5"},
        {{"name = \"notes.txt\"", "name = \"notes.\""}, "payload 2: name \"notes.\" must be a file name Windows allows, with no folder part: it ends in a dot or a space"},
        {{"name = \"notes.txt\"", "name = \"notes \""}, "payload 2: name \"notes \" must be a file name Windows allows, with no folder part: it ends in a dot or a space"},
        {{"name = \"notes.txt\"", "name = \"NUL.TXT\""}, "payload 2: name \"NUL.TXT\" must be a file name Windows allows, with no folder part: it is a device's name"},
        {{"name = \"notes.txt\"", "name = \"a;b\""}, "payload 2: name \"a;b\" cannot be carried: a \";\" or the name of the check values"},
        {{"name = \"notes.txt\"", "name = \"PayloadCRC\""},
         "payload 2: name \"PayloadCRC\" cannot be carried: a \";\" or the name of the check values"},
        {{"'C:\\Maker\\Tool'", "'C:\\Maker\\No*tes'"}, "defaultFolder: \"No*tes\" is no folder name Windows allows: \"*\" at character 3"},
        {{"'C:\\Maker\\Tool'", "'C:\\COM1\\Tool'"}, "defaultFolder: \"COM1\" is no folder name Windows allows: it is a device's name"},
        {{"name = \"notes.txt\"", "name = \"tool.exe\""}, "payload 2: name \"tool.exe\" is given twice (letter case aside)"},
        {{"source = \"notes.txt\"", "source = \"missing.txt\""}, "payload 2 (notes.txt): no such file: " + folder + "/missing.txt"},
        {{"\"2020-01-02 03:04:05\"", "\"2020-02-30 03:04:05\""},
         "payload 1: time \"2020-02-30 03:04:05\" is neither YYYY-MM-DD HH:MM:SS (UTC) nor \"file\""},
        {{"name = \"TOOL.EXE\"", "name = \"OTHER.EXE\""},
         "payload 1: the shortcuts start Tool.EXE, so the first payload must be it, not \"OTHER.EXE\""},
        {{"[[payload]]", "[[other]]"}, "payload: at least one [[payload]] is needed"},
        {{"time = \"file\"\n", ""}, "payload 2: time: missing"},
        {{"source = \"TOOL.EXE\"", "source = \"${BUILD}/tool.exe\""}, "accepted"},  // made by the build, not looked for
        {{"source = \"TOOL.EXE\"", "source = \"TOOL10.EXE\""}, "payload: the files come to 536870913 bytes, held packed "
          "and decoded at once: 1073741826 bytes is more than the 1073741824 a 32-bit installer can count on under 32-bit Windows"},
        // The dialog's own words: keys it has, placeholders it fills in.
        {{ico, ico + "[texts]\ninstallButton = \"installer dans ce dossier\"\ninformation = \"{name} {version}\\n{description}\"\n"},
         "accepted"},
        {{ico, ico + "[texts]\ngreeting = \"Bonjour\"\n"}, "texts.greeting: the dialog has no such text"},
        {{ico, ico + "[texts]\nnotice = \"\"\n"}, "texts.notice: must not be empty"},
        {{ico, ico + "[texts]\nnotice = 3\n"}, "texts.notice: must be a text"},
        {{ico, ico + "texts = \"fr\"\n"}, "texts: must be a [texts] table"},
        {{ico, ico + "[texts]\ninformation = \"{version} {description}\"\n"}, "texts.information: must hold {name} once"},
        {{ico, ico + "[texts]\ninformation = \"{name} {version} {name} {description}\"\n"},
         "texts.information: must hold {name} once"},
        {{ico, ico + "[texts]\ninformation = \"{name} {version} {description} {nom}\"\n"},
         "texts.information: holds a brace that is none of {version}, {name} and {description}"},
        {{ico, ico + "[texts]\ninformation = \"{name} {version} {description} {\"\n"},
         "texts.information: holds a brace that is none of {version}, {name} and {description}"},
        {{ico, ico + "[texts]\ninformation = \"{name} %s {version} {description} " + repeat("\u00e9", 108) + "\"\n"},
         "accepted"},  // 127 units: "%s" is text like any other
        {{ico, ico + "[texts]\ninformation = \"{name} %s {version} {description} " + repeat("\u00e9", 109) + "\"\n"},
         "productDescription: the information text (\"This program will install\", the version, the name and the "
         "description) has 128 characters; the dialog holds 127"},
        {{ico, ico + "[texts]\narchitecture = \"" + repeat("\u00e9", 100) + "\"\n"}, "accepted"},
        {{ico, ico + "[texts]\narchitecture = \"" + repeat("\u00e9", 101) + "\"\n"}, "texts.architecture: longer than 100 characters"},
        {{ico, ico + "[texts]\nunsupportedSystem = \"" + repeat("\U0001F600", 51) + "\"\n"},
         "texts.unsupportedSystem: longer than 100 characters"},
        {{ico, ico + "[texts]\ncopied = \"" + repeat("\u00e9", 256) + "\"\n"}, "texts.copied: longer than 255 characters"},
        {{"\"logo.bmp\"", "\"small.bmp\""}, "logo: not a bitmap (.bmp) file"},
        {{"\"logo.bmp\"", "\"indexed.bmp\""}, "logo: must have 24 or 32 bits a pixel, not 8"},
        {{"\"setup.ico\"", "\"logo.bmp\""}, "icon: not an icon (.ico) file"},
        {{"icon = \"setup.ico\"\n", "icon = \"setup.ico\"\ncompression = \"fast\"\n"},
         "compression: must be \"best\" or \"standard\", not \"fast\""},
    };
    for (const auto& [change, outcome] : rows) EXPECT_EQ(refusal(change.first, change.second), outcome) << change.second;
    // The product's program named in another alphabet and case: one name.
    EXPECT_EQ(refusal({{"= \"Tool\"\n", "= \"\u041a\u0432\u0430\u043d\u0442\"\n"},
                       {"name = \"TOOL.EXE\"", "name = \"\u041a\u0412\u0410\u041d\u0422.exe\""}}),
              "accepted");
    // The payloads are packed with the best parse unless the manifest asks
    // for the standard one.
    for (const char* compression : {"", "compression = \"best\"\n", "compression = \"standard\"\n"}) {
        ASSERT_EQ(refusal("icon = \"setup.ico\"\n", std::string("icon = \"setup.ico\"\n") + compression), "accepted");
        std::string list = productPayloadList(readProductManifest(folder + "/product.toml", "/build"));
        EXPECT_EQ(list.find("set(_pack_arguments --best)") != std::string::npos, strstr(compression, "standard") == nullptr)
            << compression;
    }
    try {
        readProductManifest(folder, "/build");
        ADD_FAILURE() << "a folder taken for a manifest";
    } catch (const std::runtime_error& error) {
        EXPECT_EQ(std::string(error.what()), folder + ": no such manifest file");
    }
    EXPECT_EQ(cString("a \"b\" \\c\n\t"), "\"a \\\"b\\\" \\\\c\\n\\011\"") << "texts go into the header quoted";
    // The header: each row's resource upper-cased in its own alphabet, the
    // dialog's words the manifest's or the English, UTF-8 as given.
    ASSERT_EQ(refusal({{"name = \"notes.txt\"", "name = \"\u00fcbersicht-\u043a\u0432\u0430\u043d\u0442-\u6982.pdf\""},
                       {ico, ico + "[texts]\nquitButton = \"Quitter\"\n"}}),
              "accepted");
    std::string header = productHeader(readProductManifest(folder + "/product.toml", "/build"));
    for (const char* line :
         {"PRODUCT_PAYLOAD(\"TOOL.EXE\", \"TOOL.EXE\") PRODUCT_PAYLOAD(\"\u00fcbersicht-\u043a\u0432\u0430\u043d\u0442-\u6982.pdf\", "
          "\"\u00dcBERSICHT-\u041a\u0412\u0410\u041d\u0422-\u6982.PDF\")\n",
          "#define TEXT_QUIT_BUTTON \"Quitter\"\n", "#define TEXT_EXIT_BUTTON \"Exit\"\n"})
        EXPECT_NE(header.find(line), std::string::npos) << line << " in\n" << header;
}

// The texts' conversion: UTF-8 in its shortest form only, to UTF-16 with a
// character past U+FFFF as a surrogate pair, and back; each fault named with
// its byte. Names in upper case as Windows compares them.
TEST(UnicodeText, ConvertsCountsAndUpperCasesAsWindowsHoldsNames)
{
    const std::pair<std::string, std::string> rows[] = {
        {"A\u00e9\u0416\u6982\U0001F600", "41 e9 416 6982 d83d de00"},
        {"\U0010FFFF", "dbff dfff"},
        {"ab\xff", "byte 3: a byte that begins no UTF-8 sequence"},
        {"a\x80", "byte 2: a byte that begins no UTF-8 sequence"},
        {"\xc0\xaf", "byte 1: a byte that begins no UTF-8 sequence"},  // '/' in two bytes
        {"\xe0\x80\xaf", "byte 1: an overlong UTF-8 sequence"},
        {"\xf0\x8f\xbf\xbf", "byte 1: an overlong UTF-8 sequence"},
        {"x\xed\xa0\x80", "byte 2: a surrogate, which is half a character"},
        {"\xed\xbf\xbf", "byte 1: a surrogate, which is half a character"},
        {"\xf4\x90\x80\x80", "byte 1: a code point past U+10FFFF"},
        {"\xe6\xa6", "byte 1: a UTF-8 sequence cut short"},
        {"\xe6\xa6x", "byte 1: a UTF-8 sequence cut short"},
    };
    for (const auto& [text, outcome] : rows) {
        std::string problem;
        size_t at = 0;
        std::u16string units = utf16FromUtf8(text, &problem, &at);
        std::string shown;
        for (char16_t unit : units) {
            char hex[8];
            snprintf(hex, sizeof hex, "%x ", unsigned(unit));
            shown += hex;
        }
        if (!problem.empty()) shown = "byte " + std::to_string(at + 1) + ": " + problem + " ";
        EXPECT_EQ(shown, outcome + " ") << text;
        if (problem.empty()) {
            EXPECT_EQ(utf8FromUtf16(units), text) << "there and back";
            EXPECT_EQ(utf16Length(text), units.size()) << text;
        }
    }
    EXPECT_EQ(utf8FromUtf16({u'a', char16_t(0xD800), u'b', char16_t(0xDC00)}), "a\ufffdb\ufffd") << "halves alone";
    EXPECT_EQ(upperCaseName("\u043a\u0432\u0430\u043d\u0442.exe \u00fcber \u03ac \u00df \u017f \u0131 \U0001F600 \U00010428"),
              "\u041a\u0412\u0410\u041d\u0422.EXE \u00dcBER \u0386 \u00df \u017f \u0131 \U0001F600 \U00010428")
        << "one unit to one, the rest as it is";
    EXPECT_EQ(upperCaseName("caf\xe9"), "CAF\xe9") << "not UTF-8: ASCII letters alone";
    EXPECT_EQ(displayWidth("\u6982\u8981 \U0001F600 \u00fc"), 9u);
}

}  // namespace
