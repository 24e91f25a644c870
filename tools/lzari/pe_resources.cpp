// The file is read in the order it is laid out: the DOS header points to
// the PE header, whose optional header gives the resource directory's RVA;
// the section table maps RVAs to file offsets; the resource tree is walked
// from its root.
#include "pe_resources.h"

#include "unicode_text.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <set>

namespace {

// ----- Limits --------------------------------------------------------------

// The Windows loader takes no more sections than this. Holding a file to
// it also bounds the cost of mapping each RVA.
constexpr uint32_t maxSections = 96;

// Directory entries read over the whole tree. A program has a few dozen
// resources; a hostile count could otherwise only cost time.
constexpr uint32_t maxDirectoryEntries = 65536;

constexpr uint16_t rawDataType = 10;       // RT_RCDATA
constexpr uint32_t highBit = 0x80000000u;  // an entry's name is a string; its target a subdirectory
constexpr uint32_t dosHeaderSize = 64;
constexpr uint32_t sectionHeaderSize = 40;
constexpr uint32_t symbolSize = 18;

// ----- Bounds-checked reading ----------------------------------------------

struct ByteRange {
    const uint8_t* data;
    size_t size;
};

// Offsets and counts arrive as 64-bit values, so that offset + count is
// never computed in a type that could wrap.
bool holds(ByteRange range, uint64_t offset, uint64_t count)
{
    return offset <= range.size && count <= range.size - offset;
}

[[noreturn]] void fail(const std::string& reason) { throw PeFormatError(reason); }

uint16_t read16(ByteRange range, uint64_t offset, const char* outside)
{
    if (!holds(range, offset, 2)) fail(outside);
    const uint8_t* at = range.data + offset;
    return uint16_t(at[0] | at[1] << 8);
}

uint32_t read32(ByteRange range, uint64_t offset, const char* outside)
{
    if (!holds(range, offset, 4)) fail(outside);
    const uint8_t* at = range.data + offset;
    return uint32_t(at[0]) | uint32_t(at[1]) << 8 | uint32_t(at[2]) << 16 | uint32_t(at[3]) << 24;
}

// ----- Headers and sections ------------------------------------------------

constexpr char headerOutside[] = "PE header lies outside the file (truncated?)";

struct Section {
    std::string name;
    uint32_t virtualAddress;
    uint32_t virtualSize;
    uint32_t rawSize;
    uint32_t rawOffset;
};

struct Layout {
    std::vector<Section> sections;
    uint32_t resourceRva = 0;  // no resource directory when 0
    uint32_t resourceSize = 0;
    uint32_t certificateOffset = 0;  // a file offset, not an RVA; no table when 0
    uint32_t certificateSize = 0;
    uint64_t checksumOffset = 0;          // the optional header's CheckSum
    uint64_t certificateEntryOffset = 0;  // data directory 4
};

uint64_t peSignatureOffset(ByteRange file)
{
    if (file.size < dosHeaderSize || file.data[0] != 'M' || file.data[1] != 'Z')
        fail("not a Windows program (no MZ header)");
    uint32_t offset = read32(file, 0x3C, headerOutside);
    if (!holds(file, offset, 4)) fail(headerOutside);
    if (memcmp(file.data + offset, "PE\0\0", 4) != 0)
        fail("not a PE file (no PE signature where the MZ header points)");
    return offset;
}

// A section's name for messages: up to 8 bytes, printable ASCII only.
std::string sectionName(const uint8_t* bytes)
{
    std::string name;
    for (int i = 0; i < 8 && bytes[i] != 0; i++) name += bytes[i] >= 0x20 && bytes[i] < 0x7F ? char(bytes[i]) : '?';
    return name;
}

// Each section's bytes in the file are checked once here, so that a range
// inside a section is known to be inside the file.
std::vector<Section> readSections(ByteRange file, uint64_t table, uint16_t count)
{
    if (count > maxSections) fail("absurd section count " + std::to_string(count) + " (96 at most)");
    if (!holds(file, table, uint64_t(count) * sectionHeaderSize))
        fail("section table lies outside the file (truncated?)");
    std::vector<Section> sections;
    for (uint64_t header = table; header < table + uint64_t(count) * sectionHeaderSize; header += sectionHeaderSize) {
        Section section{sectionName(file.data + header), read32(file, header + 12, headerOutside),
                        read32(file, header + 8, headerOutside), read32(file, header + 16, headerOutside),
                        read32(file, header + 20, headerOutside)};
        if (!holds(file, section.rawOffset, section.rawSize))
            fail("section " + section.name + " lies outside the file (truncated?)");
        sections.push_back(section);
    }
    return sections;
}

// MinGW's linker leaves the COFF symbols and their string table after the
// last section: in such a file they are the only part that shows a cut at
// the end.
void checkSymbolTable(ByteRange file, uint64_t fileHeader)
{
    constexpr char outside[] = "COFF symbol table lies outside the file (truncated?)";
    uint32_t pointer = read32(file, fileHeader + 8, headerOutside);
    uint32_t count = read32(file, fileHeader + 12, headerOutside);
    if (pointer == 0) return;
    uint64_t strings = pointer + uint64_t(count) * symbolSize;
    if (!holds(file, strings, read32(file, strings, outside))) fail(outside);
}

// PE32 and PE32+ differ, for this reader, only in where the optional header
// keeps its data directories and their count.
struct DirectoryPlace {
    uint32_t countOffset;
    uint32_t directoriesOffset;
};

DirectoryPlace directoryPlace(uint16_t magic)
{
    if (magic == 0x10B) return {92, 96};    // PE32
    if (magic == 0x20B) return {108, 112};  // PE32+
    char text[80];
    snprintf(text, sizeof text, "unknown optional header magic 0x%X (neither PE32 nor PE32+)", magic);
    fail(text);
}

// Data directories 2, the resource table, and 4, the certificate table,
// when the header holds them.
void readDataDirectories(ByteRange file, uint64_t optional, uint16_t optionalSize, Layout* layout)
{
    constexpr char tooShort[] = "PE optional header is too short";
    if (optionalSize < 2) fail(tooShort);
    DirectoryPlace place = directoryPlace(read16(file, optional, headerOutside));
    if (optionalSize < place.directoriesOffset) fail(tooShort);
    uint32_t count = read32(file, optional + place.countOffset, headerOutside);
    auto entry = [&](uint32_t index, uint32_t* first, uint32_t* size) {
        uint64_t at = place.directoriesOffset + index * 8;
        if (count <= index || optionalSize < at + 8) return;
        *first = read32(file, optional + at, headerOutside);
        *size = read32(file, optional + at + 4, headerOutside);
    };
    entry(2, &layout->resourceRva, &layout->resourceSize);
    entry(4, &layout->certificateOffset, &layout->certificateSize);
    layout->checksumOffset = optional + 64;  // in PE32 and PE32+ alike
    layout->certificateEntryOffset = optional + place.directoriesOffset + 4 * 8;
}

// The certificate table's first entry (WIN_CERTIFICATE: its length, the
// revision 2.0 and the type PKCS_SIGNED_DATA, then the DER bytes) holds the
// Authenticode signature.
void readSignature(ByteRange file, const Layout& layout, SignedRegions* signing)
{
    if (layout.certificateOffset == 0 || layout.certificateSize == 0) return;
    *signing = SignedRegions{layout.checksumOffset, layout.certificateEntryOffset, layout.certificateOffset,
                             layout.certificateSize, 0, nullptr, 0};
    if (!holds(file, layout.certificateOffset, layout.certificateSize)) fail("certificate table lies outside the file");
    ByteRange table{file.data + layout.certificateOffset, layout.certificateSize};
    constexpr char bad[] = "certificate table holds no Authenticode signature";
    uint32_t length = read32(table, 0, bad);
    if (length <= 8 || length > table.size || read16(table, 4, bad) != 0x0200 || read16(table, 6, bad) != 2) fail(bad);
    signing->entryLength = length;
    signing->signature = table.data + 8;
    signing->signatureSize = length - 8;
}

Layout readLayout(ByteRange file)
{
    uint64_t fileHeader = peSignatureOffset(file) + 4;
    uint16_t sectionCount = read16(file, fileHeader + 2, headerOutside);
    uint16_t optionalSize = read16(file, fileHeader + 16, headerOutside);
    uint64_t optional = fileHeader + 20;
    Layout layout;
    readDataDirectories(file, optional, optionalSize, &layout);
    layout.sections = readSections(file, optional + optionalSize, sectionCount);
    checkSymbolTable(file, fileHeader);
    return layout;
}

// The bytes of [rva, rva + size). They must lie in the part of one section
// that the file holds: the rest of a section is memory the loader fills
// with zeros, with no bytes in the file.
const uint8_t* mapRange(ByteRange file, const Layout& layout, uint32_t rva, uint32_t size, const std::string& what)
{
    for (const Section& section : layout.sections) {
        uint32_t span = section.virtualSize ? section.virtualSize : section.rawSize;
        if (rva < section.virtualAddress || rva - section.virtualAddress >= span) continue;
        uint64_t inSection = rva - section.virtualAddress;
        if (inSection + size > section.rawSize) fail(what + " lies outside the file");
        return file.data + section.rawOffset + inSection;
    }
    fail(what + " lies in no section");
}

// ----- The resource tree ---------------------------------------------------
// Every offset inside the tree (subdirectories, names, data entries) counts
// from its root.

constexpr char entryOutside[] = "resource directory entry points outside the resource directory";

struct Entry {
    uint32_t nameOrId;
    uint32_t target;
};

struct TreeWalk {
    ByteRange file;
    Layout layout;
    ByteRange tree;
    std::set<uint32_t> visited;  // directories read so far
    uint32_t entriesRead = 0;
    std::vector<RawDataResource> found;
};

// Reading each directory once is what keeps a hostile tree finite: a loop,
// or many entries sharing one subdirectory, is refused.
std::vector<Entry> readDirectory(TreeWalk& walk, uint32_t offset, const std::vector<uint32_t>& ancestors)
{
    if (std::find(ancestors.begin(), ancestors.end(), offset) != ancestors.end())
        fail("resource directory loops back on itself");
    if (!walk.visited.insert(offset).second) fail("resource directory reaches one subdirectory twice");
    uint32_t count = read16(walk.tree, uint64_t(offset) + 12, entryOutside);
    count += read16(walk.tree, uint64_t(offset) + 14, entryOutside);
    walk.entriesRead += count;
    if (walk.entriesRead > maxDirectoryEntries) fail("resource directory has too many entries (over 65536)");
    uint64_t first = uint64_t(offset) + 16;
    if (!holds(walk.tree, first, uint64_t(count) * 8)) fail("resource directory's entries run past its end");
    std::vector<Entry> entries(count);
    for (uint32_t i = 0; i < count; i++) {
        uint64_t entry = first + 8 * uint64_t(i);
        entries[i] = {read32(walk.tree, entry, entryOutside), read32(walk.tree, entry + 4, entryOutside)};
    }
    return entries;
}

uint32_t subdirectory(const Entry& entry)
{
    if (!(entry.target & highBit)) fail("resource directory is not three levels deep (type, name, language)");
    return entry.target & ~highBit;
}

// A name is a count of UTF-16 units followed by the units.
std::string readName(const TreeWalk& walk, uint32_t offset)
{
    constexpr char outside[] = "resource name lies outside the resource directory";
    uint16_t length = read16(walk.tree, offset, outside);
    if (!holds(walk.tree, uint64_t(offset) + 2, uint64_t(length) * 2)) fail(outside);
    // Shown and written as UTF-8; a surrogate without its other half as U+FFFD.
    std::u16string name;
    for (uint64_t i = 0; i < length; i++) name += char16_t(read16(walk.tree, offset + 2 + 2 * i, outside));
    return utf8FromUtf16(name);
}

// The third level: one data entry (RVA, size, code page, reserved) per
// language.
void readLanguages(TreeWalk& walk, const std::string& name, uint32_t directory, std::vector<uint32_t> ancestors)
{
    std::vector<Entry> languages = readDirectory(walk, directory, ancestors);
    for (const Entry& language : languages) {
        if (language.target & highBit) fail("resource directory is more than three levels deep");
        uint32_t rva = read32(walk.tree, language.target, entryOutside);
        uint32_t size = read32(walk.tree, uint64_t(language.target) + 4, entryOutside);
        const uint8_t* data =
            mapRange(walk.file, walk.layout, rva, size, "resource " + printableName(name) + ": its data");
        walk.found.push_back({name, uint16_t(language.nameOrId), data, size});
    }
}

// The second level of the RCDATA type: resources named by an ID are not
// ours and are passed over.
void readNames(TreeWalk& walk, uint32_t directory, std::vector<uint32_t> ancestors)
{
    std::vector<Entry> names = readDirectory(walk, directory, ancestors);
    ancestors.push_back(directory);
    for (const Entry& entry : names) {
        if (!(entry.nameOrId & highBit)) continue;
        std::string name = readName(walk, entry.nameOrId & ~highBit);
        readLanguages(walk, name, subdirectory(entry), ancestors);
    }
}

}  // namespace

PeResources readRawDataResources(const uint8_t* image, size_t imageSize)
{
    TreeWalk walk{{image, imageSize}, readLayout({image, imageSize}), {nullptr, 0}, {}, 0, {}};
    PeResources resources{0, walk.layout.resourceSize, {}, {}};
    readSignature(walk.file, walk.layout, &resources.signing);
    if (walk.layout.resourceRva == 0 || walk.layout.resourceSize == 0) return resources;
    const uint8_t* root = mapRange(walk.file, walk.layout, walk.layout.resourceRva, walk.layout.resourceSize,
                                   "resource directory");
    walk.tree = {root, walk.layout.resourceSize};
    resources.directoryOffset = size_t(root - image);

    // The first level: types, of which only RCDATA is read.
    for (const Entry& type : readDirectory(walk, 0, {}))
        if (type.nameOrId == rawDataType) readNames(walk, subdirectory(type), {0});
    resources.rawData = std::move(walk.found);
    return resources;
}
