// The built setup.exe as bytes, and where its parts lie, found as the
// loader finds them: for the tests that read it, damage it and hand
// damaged copies to lzari.
#pragma once

#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

using Bytes = std::vector<uint8_t>;

inline Bytes fileBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

inline uint32_t get32(const Bytes& bytes, size_t at)
{
    return uint32_t(bytes[at]) | uint32_t(bytes[at + 1]) << 8 | uint32_t(bytes[at + 2]) << 16 |
           uint32_t(bytes[at + 3]) << 24;
}

inline void put16(Bytes& bytes, size_t at, uint16_t value)
{
    bytes[at] = uint8_t(value);
    bytes[at + 1] = uint8_t(value >> 8);
}

inline void put32(Bytes& bytes, size_t at, uint32_t value)
{
    for (int i = 0; i < 4; i++) bytes[at + size_t(i)] = uint8_t(value >> (8 * i));
}

// File offsets: the COFF file header, the optional header, data directory 2
// (the resource table's RVA and size), the .rsrc section's header and the
// resource tree's root.
struct ProgramLayout {
    size_t fileHeader, optionalHeader, resourceEntry, rsrcSection, tree;
};

inline ProgramLayout layoutOf(const Bytes& image)
{
    ProgramLayout layout;
    layout.fileHeader = get32(image, 0x3C) + 4;
    layout.optionalHeader = layout.fileHeader + 20;
    layout.resourceEntry = layout.optionalHeader + 96 + 2 * 8;  // PE32
    layout.rsrcSection = layout.optionalHeader + (get32(image, layout.fileHeader + 16) & 0xFFFF);
    while (memcmp(&image[layout.rsrcSection], ".rsrc", 6) != 0) layout.rsrcSection += 40;
    layout.tree = get32(image, layout.rsrcSection + 20) + get32(image, layout.resourceEntry) -
                  get32(image, layout.rsrcSection + 12);
    return layout;
}

// The file offset of the entry named `name` (or with the ID `name`, as
// digits) in the resource directory at file offset `directory`.
inline size_t entryOf(const Bytes& image, size_t tree, size_t directory, const std::string& name)
{
    uint32_t count = (get32(image, directory + 12) & 0xFFFF) + (get32(image, directory + 12) >> 16);
    for (size_t entry = directory + 16; entry < directory + 16 + 8 * count; entry += 8) {
        uint32_t nameOrId = get32(image, entry);
        std::string text;
        if (nameOrId & 0x80000000u) {
            size_t at = tree + (nameOrId & 0x7FFFFFFF);
            for (uint32_t i = 0; i < (get32(image, at) & 0xFFFF); i++) text += char(image[at + 2 + 2 * i]);
        } else {
            text = std::to_string(nameOrId);
        }
        if (text == name) return entry;
    }
    return 0;
}

// The entry's subdirectory, as a file offset.
inline size_t subdirectoryOf(const Bytes& image, size_t tree, size_t entry)
{
    return tree + (get32(image, entry + 4) & 0x7FFFFFFF);
}

// The file offsets of an RCDATA resource's parts: its entry among the
// names, its name string, its first language's entry and its data entry.
struct ResourceParts {
    size_t nameEntry, nameString, languageEntry, dataEntry;
};

inline ResourceParts rawDataParts(const Bytes& image, const std::string& name)
{
    ProgramLayout layout = layoutOf(image);
    size_t names = subdirectoryOf(image, layout.tree, entryOf(image, layout.tree, layout.tree, "10"));
    ResourceParts parts;
    parts.nameEntry = entryOf(image, layout.tree, names, name);
    parts.nameString = layout.tree + (get32(image, parts.nameEntry) & 0x7FFFFFFF);
    parts.languageEntry = subdirectoryOf(image, layout.tree, parts.nameEntry) + 16;
    parts.dataEntry = layout.tree + get32(image, parts.languageEntry + 4);
    return parts;
}

// The file offset of a resource's bytes.
inline size_t dataOf(const Bytes& image, const std::string& name)
{
    ProgramLayout layout = layoutOf(image);
    return get32(image, rawDataParts(image, name).dataEntry) - get32(image, layout.rsrcSection + 12) +
           get32(image, layout.rsrcSection + 20);
}
