// A product's manifest: the shipped one and a second product are accepted
// and written out as the build needs them; everything the program could
// not honour is refused with one line that names the field.
#include <gtest/gtest.h>

#include <fstream>
#include <stdexcept>
#include <string>
#include <unistd.h>

#include "product_manifest.h"
#include "product_outputs.h"

namespace {

const std::string sourceDir = SOURCE_DIR;

// A manifest written into a scratch folder beside a valid logo, icon and
// payload, from a valid one with `change` applied.
class ManifestCheck : public ::testing::Test {
protected:
    std::string folder;

    void SetUp() override
    {
        char pattern[] = "/tmp/manifest-test-XXXXXX";
        folder = mkdtemp(pattern);
        copy(sourceDir + "/resources/logo.bmp", "logo.bmp");
        copy(sourceDir + "/resources/setup.ico", "setup.ico");
        write("TOOL.EXE", "a program");
        write("notes.txt", "some notes");
    }
    void TearDown() override { system(("rm -rf " + folder).c_str()); }

    void write(const std::string& name, const std::string& bytes) { std::ofstream(folder + "/" + name) << bytes; }
    void copy(const std::string& from, const std::string& name)
    {
        std::ifstream in(from, std::ios::binary);
        std::ofstream(folder + "/" + name, std::ios::binary) << in.rdbuf();
    }

    static std::string valid()
    {
        return "productName = \"Tool\"\nproductVersion = \"1.0\"\ndefaultFolder = 'C:\\Maker\\Tool'\n"
               "groupName = \"Maker\"\nproductDescription = \"A tool\"\ndialogTitle = \"Tool Setup\"\n"
               "logo = \"logo.bmp\"\nicon = \"setup.ico\"\n"
               "[[payload]]\nname = \"TOOL.EXE\"\nsource = \"TOOL.EXE\"\ntime = \"2020-01-02 03:04:05\"\n"
               "[[payload]]\nname = \"notes.txt\"\nsource = \"notes.txt\"\ntime = \"file\"\n";
    }

    ProductManifest read(const std::string& text)
    {
        write("product.toml", text);
        return readProductManifest(folder + "/product.toml", "/build");
    }

    // The one line of the refusal, without the manifest's path.
    std::string refusal(const std::string& text)
    {
        try {
            read(text);
        } catch (const std::runtime_error& error) {
            std::string line = error.what();
            return line.substr(line.find(": ") + 2);
        }
        return "accepted";
    }
};

std::string replaced(std::string text, const std::string& from, const std::string& to)
{
    size_t at = text.find(from);
    return at == std::string::npos ? "(no " + from + ")" : text.replace(at, from.size(), to);
}

TEST_F(ManifestCheck, ShippedAndSecondProductsAreAccepted)
{
    ProductManifest shipped = readProductManifest(sourceDir + "/resources/product.toml", "/build");
    EXPECT_EQ(shipped.payloads.size(), 5u);
    EXPECT_EQ(shipped.payloads[0].source, "/build/resources/qrv_standin.exe");
    std::string header = productHeader(shipped);
    EXPECT_NE(header.find("#define PRODUCT_DEFAULT_FOLDER \"C:\\\\Arvendal\\\\QRV\"\n"), std::string::npos) << header;
    EXPECT_NE(header.find("PRODUCT_DESCRIPTION \"Chart Studio && Data Sifter\\nby Orvel K. Tamsin\\nBrindlemoor, "
                          "Wessex\""),
              std::string::npos);
    EXPECT_NE(header.find("PRODUCT_PAYLOAD(\"QRV.EXE\") PRODUCT_PAYLOAD(\"QRV.HLP\") PRODUCT_PAYLOAD(\"DocReader.EXE\")"),
              std::string::npos);
    std::string list = productPayloadList(shipped);
    EXPECT_NE(list.find("payload(\"DOCREADER.EXE\" \"/build/resources/docreader_standin.exe\" \"2003-06-19 20:05:04\" "
                        "\"DocReader.EXE\")\n"),
              std::string::npos)
        << list;

    ProductManifest second = readProductManifest(sourceDir + "/tests/data/second-product/product.toml", "/build");
    EXPECT_EQ(second.defaultFolder, "D:\\Brindle\\Notes");
    ASSERT_EQ(second.payloads.size(), 2u);
    EXPECT_FALSE(second.payloads[1].time) << "README.TXT takes its own time";
    EXPECT_NE(productPayloadList(second).find("payload(\"README.TXT\" \"" + sourceDir +
                                              "/tests/data/second-product/README.TXT\" \"\" \"README.TXT\")"),
              std::string::npos);
}

TEST_F(ManifestCheck, TextsTheProgramCannotHoldAreRefused)
{
    EXPECT_EQ(refusal(valid()), "accepted");
    // 40 fixed characters + "1.0" + "Tool" + 80 = 127 fit; one more does not.
    EXPECT_EQ(refusal(replaced(valid(), "\"A tool\"", "\"" + std::string(80, 'd') + "\"")), "accepted");
    EXPECT_EQ(refusal(replaced(valid(), "\"A tool\"", "\"" + std::string(81, 'd') + "\"")).substr(0, 38),
              "productDescription: the information te");
    EXPECT_EQ(refusal(replaced(valid(), "productVersion = \"1.0\"\n", "")), "productVersion: missing");
    EXPECT_EQ(refusal(replaced(valid(), "\"Tool Setup\"", "\"\"")), "dialogTitle: must not be empty");
    EXPECT_EQ(refusal(replaced(valid(), "\"Tool Setup\"", "3")), "dialogTitle: must be a text");
    EXPECT_EQ(refusal(replaced(valid(), "\"Maker\"", "\"Maker\\\\Tools\"")), "groupName: must be one folder's name");
    EXPECT_EQ(refusal(replaced(valid(), "= \"Tool\"", "= \"T\xc3\xb6ol\"")),
              "productName: only ASCII characters can be shown as they are");
    EXPECT_EQ(refusal(replaced(valid(), "productName = \"Tool\"\n", "productName = \"Tool\"\nproductName = \"X\"\n"))
                  .substr(0, 5),
              "line ");
}

TEST_F(ManifestCheck, DefaultFoldersTheRulesRefuseAreRefused)
{
    for (const char* folder : {"'C:\\'", "'A:\\Tool'", "'C:\\Maker\\\\Tool'", "'Maker\\Tool'", "'C:\\Maker\\Tool\\'",
                               "'c:\\Maker\\Tool'"})
        EXPECT_EQ(refusal(replaced(valid(), "'C:\\Maker\\Tool'", folder)),
                  "defaultFolder: must be a folder below a drive's root, as C:\\Maker\\Product")
            << folder;
    std::string longest = "'C:\\" + std::string(256, 'f') + "'";  // 259 characters
    EXPECT_EQ(refusal(replaced(valid(), "'C:\\Maker\\Tool'", longest)), "accepted");
    std::string tooLong = "'C:\\" + std::string(257, 'f') + "'";
    EXPECT_EQ(refusal(replaced(valid(), "'C:\\Maker\\Tool'", tooLong)), "defaultFolder: longer than 259 characters");
}

TEST_F(ManifestCheck, PayloadsTheProgramCannotWriteAreRefused)
{
    EXPECT_EQ(refusal(replaced(valid(), "name = \"notes.txt\"", "name = \"docs\\\\notes.txt\"")),
              "payload 2: name \"docs\\notes.txt\" must be a file name, with no folder part");
    EXPECT_EQ(refusal(replaced(valid(), "name = \"notes.txt\"", "name = \"tool.exe\"")),
              "payload 2: name \"tool.exe\" is given twice (letter case aside)");
    EXPECT_EQ(refusal(replaced(valid(), "source = \"notes.txt\"", "source = \"missing.txt\"")),
              "payload 2 (notes.txt): no such file: " + folder + "/missing.txt");
    EXPECT_EQ(refusal(replaced(valid(), "\"2020-01-02 03:04:05\"", "\"2020-02-30 03:04:05\"")),
              "payload 1: time \"2020-02-30 03:04:05\" is neither YYYY-MM-DD HH:MM:SS (UTC) nor \"file\"");
    EXPECT_EQ(refusal(replaced(valid(), "name = \"TOOL.EXE\"", "name = \"OTHER.EXE\"")),
              "payload 1: the shortcuts start Tool.EXE, so the first payload must be it, not \"OTHER.EXE\"");
    EXPECT_EQ(refusal(valid().substr(0, valid().find("[[payload]]"))), "payload: at least one [[payload]] is needed");
    EXPECT_EQ(refusal(replaced(valid(), "source = \"TOOL.EXE\"", "source = \"${BUILD}/tool.exe\"")), "accepted")
        << "a file the build makes is not looked for";
}

TEST_F(ManifestCheck, LogosAndIconsOtherThanTheProgramDrawsAreRefused)
{
    write("small.bmp", "BM");
    EXPECT_EQ(refusal(replaced(valid(), "\"logo.bmp\"", "\"small.bmp\"")), "logo: not a bitmap (.bmp) file");
    EXPECT_EQ(refusal(replaced(valid(), "\"logo.bmp\"", "\"none.bmp\"")), "logo: no such file: " + folder + "/none.bmp");
    // The shipped logo with its header changed: 8 bits a pixel with a
    // colour table, then compressed.
    std::ifstream in(folder + "/logo.bmp", std::ios::binary);
    std::string logo((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::string indexed = logo;
    indexed[28] = 8;
    write("indexed.bmp", indexed);
    EXPECT_EQ(refusal(replaced(valid(), "\"logo.bmp\"", "\"indexed.bmp\"")), "logo: must have 24 or 32 bits a pixel, not 8");
    std::string withTable = logo;
    withTable[46] = 16;
    write("table.bmp", withTable);
    EXPECT_EQ(refusal(replaced(valid(), "\"logo.bmp\"", "\"table.bmp\"")), "logo: must have no colour table");
    std::string compressed = logo;
    compressed[30] = 3;
    write("compressed.bmp", compressed);
    EXPECT_EQ(refusal(replaced(valid(), "\"logo.bmp\"", "\"compressed.bmp\"")), "logo: must be uncompressed");
    EXPECT_EQ(refusal(replaced(valid(), "\"setup.ico\"", "\"logo.bmp\"")), "icon: not an icon (.ico) file");
}

}  // namespace
