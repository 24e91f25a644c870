// The resource reader on small program images made in the test: what a
// well-formed one yields, and a clear refusal, never a stray read, for each
// way a damaged or hostile file can lie.
#include <gtest/gtest.h>

#include <string>

#include "pe_image_builder.h"
#include "pe_resources.h"

namespace {

Bytes bytesOf(const std::string& text) { return Bytes(text.begin(), text.end()); }

// Two payload-like resources, one RCDATA named by an ID and a bitmap, which
// the reader passes over.
std::vector<TestResource> sampleResources()
{
    return {{10, "QRV.HLP", 0, 1033, bytesOf("LzaR help text")},
            {2, "LOGO", 0, 1033, bytesOf("BM")},
            {10, "", 7, 1033, bytesOf("by number")},
            {10, "SHAPES.QRD", 0, 1033, bytesOf("LzaR shapes, five bytes more")}};
}

PeResources read(const Bytes& image) { return readRawDataResources(image.data(), image.size()); }

// The reader's refusal, or "accepted".
std::string refusal(const Bytes& image)
{
    try {
        read(image);
        return "accepted";
    } catch (const PeFormatError& error) {
        return error.what();
    }
}

void expectRefused(const Bytes& image, const std::string& reason)
{
    std::string said = refusal(image);
    EXPECT_NE(said.find(reason), std::string::npos) << "expected '" << reason << "', got '" << said << "'";
    EXPECT_EQ(said.find('\n'), std::string::npos) << said;
}

// The image with one 32-bit field changed is refused for `reason`.
void refusedWith(const TestImage& image, size_t offset, uint32_t value, const std::string& reason)
{
    Bytes damaged = image.bytes;
    put32(damaged, offset, value);
    expectRefused(damaged, reason);
}

std::string textOf(const RawDataResource& resource)
{
    return std::string(reinterpret_cast<const char*>(resource.data), resource.size);
}

TEST(PeResources, ReadsTheStringNamedRawDataOfPe32AndPe32Plus)
{
    for (bool pe32Plus : {false, true}) {
        TestImage image = buildTestImage(sampleResources(), pe32Plus);
        PeResources resources = read(image.bytes);
        EXPECT_EQ(resources.directoryOffset, image.tree);
        ASSERT_EQ(resources.rawData.size(), 2u) << "PE32+: " << pe32Plus;
        EXPECT_EQ(resources.rawData[0].name, "QRV.HLP");
        EXPECT_EQ(resources.rawData[0].language, 1033);
        EXPECT_EQ(textOf(resources.rawData[0]), "LzaR help text");
        EXPECT_EQ(resources.rawData[1].name, "SHAPES.QRD");
        EXPECT_EQ(textOf(resources.rawData[1]), "LzaR shapes, five bytes more");
    }
}

TEST(PeResources, EachLanguageAndEveryNameCharacterIsKept)
{
    std::vector<TestResource> resources = {{10, "HELP.QRD", 0, 1033, bytesOf("en")},
                                           {10, "HELP.QRD", 0, 1031, bytesOf("de")}};
    TestImage image = buildTestImage(resources);
    PeResources read1 = read(image.bytes);
    ASSERT_EQ(read1.rawData.size(), 2u);
    EXPECT_EQ(read1.rawData[1].language, 1031);
    EXPECT_EQ(textOf(read1.rawData[1]), "de");

    put16(image.bytes, image.names.at("HELP.QRD") + 2, 0x00E9);  // é
    put16(image.bytes, image.names.at("HELP.QRD") + 4, 0xD800);  // a lone surrogate half
    EXPECT_EQ(read(image.bytes).rawData[0].name, "\xC3\xA9\xEF\xBF\xBDLP.QRD");
}

TEST(PeResources, AProgramWithoutResourcesOrRawDataHasNone)
{
    TestImage bitmapOnly = buildTestImage({{2, "LOGO", 0, 1033, bytesOf("BM")}});
    EXPECT_TRUE(read(bitmapOnly.bytes).rawData.empty());

    TestImage image = buildTestImage(sampleResources());
    put32(image.bytes, image.optionalHeader + 92, 2);  // data directories 0 and 1 only
    EXPECT_TRUE(read(image.bytes).rawData.empty());
    put32(image.bytes, image.optionalHeader + 92, 16);
    put32(image.bytes, image.resourceEntry, 0);
    EXPECT_TRUE(read(image.bytes).rawData.empty());
}

TEST(PeResources, RefusesWhatIsNotAProgram)
{
    expectRefused({}, "not a Windows program (no MZ header)");
    expectRefused(bytesOf("MZ"), "no MZ header");
    expectRefused(Bytes(4096, 'x'), "no MZ header");

    TestImage image = buildTestImage(sampleResources());
    Bytes noSignature = image.bytes;
    noSignature[0x40] = 'N';
    expectRefused(noSignature, "not a PE file (no PE signature where the MZ header points)");
    for (uint32_t pointer : {0xFFFFFFFFu, 0xFFFFFFFEu, uint32_t(image.bytes.size() - 2)}) {
        Bytes pointsAway = image.bytes;
        put32(pointsAway, 0x3C, pointer);
        expectRefused(pointsAway, "PE header lies outside the file (truncated?)");
    }
    Bytes oddMagic = image.bytes;
    put16(oddMagic, image.optionalHeader, 0x107);
    expectRefused(oddMagic, "unknown optional header magic 0x107");
    Bytes shortOptional = image.bytes;
    put16(shortOptional, image.fileHeader + 16, 64);
    expectRefused(shortOptional, "optional header is too short");
}

TEST(PeResources, EveryTruncationIsRefused)
{
    for (bool pe32Plus : {false, true}) {
        Bytes whole = buildTestImage(sampleResources(), pe32Plus).bytes;
        for (size_t length = 0; length < whole.size(); length++)
            EXPECT_NE(refusal(Bytes(whole.begin(), whole.begin() + long(length))), "accepted") << length;
    }
    // The symbol table that MinGW leaves after the last section is the
    // only witness of a cut there.
    TestImage image = buildTestImage(sampleResources());
    Bytes withSymbols = image.bytes;
    put32(withSymbols, image.fileHeader + 8, uint32_t(withSymbols.size()));
    put32(withSymbols, image.fileHeader + 12, 2);
    withSymbols.resize(withSymbols.size() + 2 * 18);
    withSymbols.insert(withSymbols.end(), {12, 0, 0, 0, 'a', 0, 'b', 0, 'c', 0, 0, 0});
    EXPECT_EQ(refusal(withSymbols), "accepted");
    withSymbols.pop_back();
    expectRefused(withSymbols, "COFF symbol table lies outside the file (truncated?)");
    put32(withSymbols, image.fileHeader + 12, 0xFFFFFFFFu);
    expectRefused(withSymbols, "COFF symbol table lies outside the file");
}

TEST(PeResources, RefusesSectionsAndRvasOutOfRange)
{
    TestImage image = buildTestImage(sampleResources());
    Bytes manySections = image.bytes;
    put16(manySections, image.fileHeader + 2, 97);
    expectRefused(manySections, "absurd section count 97 (96 at most)");
    Bytes tableAway = image.bytes;
    put16(tableAway, image.fileHeader + 16, 0xFFFF);
    expectRefused(tableAway, "section table lies outside the file");

    size_t section = image.sectionTable;
    // Offset + size would wrap in 32 bits.
    refusedWith(image, section + 20, 0xFFFFFF00u, "section .rsrc lies outside the file");
    refusedWith(image, section + 16, 0xFFFFFFFFu, "section .rsrc lies outside the file");
    refusedWith(image, image.resourceEntry, 0x9000, "resource directory lies in no section");
    refusedWith(image, image.resourceEntry, 0xFFFFFFFFu, "resource directory lies in no section");
    refusedWith(image, image.resourceEntry + 4, 0xFFFFFFFFu, "resource directory lies outside the file");
    // The file holds only 16 bytes of the section.
    refusedWith(image, section + 16, 0x10, "resource directory lies outside the file");

    size_t help = image.dataEntries.at("10/QRV.HLP/1033");
    refusedWith(image, help, 0x5000, "resource QRV.HLP: its data lies in no section");
    refusedWith(image, help, testSectionRva - 1, "resource QRV.HLP: its data lies in no section");
    refusedWith(image, help + 4, 0xFFFFFFFFu, "resource QRV.HLP: its data lies outside the file");
    refusedWith(image, help + 4, 0x1000, "resource QRV.HLP: its data lies outside the file");
    Bytes newline = image.bytes;
    put16(newline, image.names.at("QRV.HLP") + 2 + 2 * 3, '\n');
    put32(newline, help, 0x5000);
    expectRefused(newline, "resource QRV?HLP: its data lies in no section");
    // Inside the section's memory but past the bytes the file holds for it.
    Bytes zeroFilled = image.bytes;
    put32(zeroFilled, section + 8, 0x10000);
    put32(zeroFilled, help, testSectionRva + 0x8000);
    expectRefused(zeroFilled, "resource QRV.HLP: its data lies outside the file");
}

TEST(PeResources, RefusesTreeOffsetsAndCountsOutOfRange)
{
    TestImage image = buildTestImage(sampleResources());
    size_t rawData = image.directories.at("10");
    size_t rootEntries = image.tree + 16;
    const std::string outside = "resource directory entry points outside the resource directory";
    refusedWith(image, rootEntries + 4, 0x80000000u | 0x7FFFFFF0u, outside);
    refusedWith(image, rawData + 16 + 4, 0x80000000u | uint32_t(image.bytes.size()), outside);
    refusedWith(image, image.directories.at("10/QRV.HLP") + 16 + 4, 0x7FFFFFFEu, outside);
    refusedWith(image, rawData + 16, 0xFFFFFFFFu, "resource name lies outside the resource directory");
    Bytes longName = image.bytes;
    put16(longName, image.names.at("QRV.HLP"), 0xFFFF);
    expectRefused(longName, "resource name lies outside the resource directory");

    // Counts: the entries must fit in the tree, and no real program has
    // more than 65536 of them.
    Bytes manyEntries = image.bytes;
    put16(manyEntries, image.tree + 14, 0x0100);
    expectRefused(manyEntries, "resource directory's entries run past its end");
    Bytes absurd = image.bytes;
    put32(absurd, image.tree + 12, 0xFFFFFFFFu);
    expectRefused(absurd, "too many entries");
}

TEST(PeResources, RefusesLoopsSharedDirectoriesAndWrongDepths)
{
    TestImage image = buildTestImage(sampleResources());
    size_t rawData = image.directories.at("10");
    auto treeOffset = [&](const std::string& key) { return uint32_t(image.directories.at(key) - image.tree); };
    // A name's languages in the root, or in the directory of names itself.
    refusedWith(image, rawData + 16 + 4, 0x80000000u, "resource directory loops back on itself");
    refusedWith(image, rawData + 16 + 4, 0x80000000u | treeOffset("10"), "loops back on itself");
    refusedWith(image, rawData + 24 + 4, 0x80000000u | treeOffset("10/QRV.HLP"), "reaches one subdirectory twice");
    // A root whose only entries are RCDATA types sharing one directory.
    Bytes twice = image.bytes;
    put32(twice, image.tree + 16, 10);
    put32(twice, image.tree + 24, 10);
    put32(twice, image.tree + 28, 0x80000000u | treeOffset("10"));
    expectRefused(twice, "reaches one subdirectory twice");

    refusedWith(image, rawData + 16 + 4, treeOffset("10/QRV.HLP"), "not three levels deep");
    refusedWith(image, image.tree + 16 + 4, treeOffset("10"), "not three levels deep");
    refusedWith(image, image.directories.at("10/QRV.HLP") + 16 + 4, 0x80000000u | treeOffset("10/SHAPES.QRD"),
                "more than three levels deep");
}

// Each byte of the image changed in turn: whatever the reader accepts must
// point inside the image. (Under AddressSanitizer a stray read is a crash.)
TEST(PeResources, EveryChangedByteGivesResourcesInsideTheFileOrAClearError)
{
    for (bool pe32Plus : {false, true}) {
        const Bytes whole = buildTestImage(sampleResources(), pe32Plus).bytes;
        for (size_t offset = 0; offset < whole.size(); offset++) {
            for (uint8_t change : {0x01, 0x80, 0xFF}) {
                Bytes image = whole;
                image[offset] ^= change;
                try {
                    for (const RawDataResource& resource : read(image).rawData) {
                        ASSERT_GE(resource.data, image.data()) << offset;
                        ASSERT_LE(resource.data + resource.size, image.data() + image.size()) << offset;
                    }
                } catch (const PeFormatError& error) {
                    ASSERT_EQ(std::string(error.what()).find('\n'), std::string::npos);
                }
            }
        }
    }
}

}  // namespace
