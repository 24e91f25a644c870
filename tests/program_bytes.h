// A file as bytes (the built setup.exe, a test container), and where the
// parts of a program's resource tree lie, found as the loader finds them:
// for the tests that damage copies of setup.exe.
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

inline uint32_t get32(const Bytes& bytes, size_t at) { return bytes[at] | bytes[at + 1] << 8 | bytes[at + 2] << 16 | uint32_t(bytes[at + 3]) << 24; }
inline void put32(Bytes& bytes, size_t at, uint32_t value, int size = 4)
{
    for (int i = 0; i < size; i++) bytes[at + size_t(i)] = uint8_t(value >> (8 * i));
}

// File offsets of a program's parts: the .rsrc section's header and the root
// of its resource tree; of an RCDATA resource's: its entry among the names,
// its name string, its first language's entry and its data entry.
struct ResourceParts {
    size_t rsrcSection, tree, nameEntry, nameString, languageEntry, dataEntry, data;
};

// The entry named `name` (or with the ID `name`, in digits) of the directory
// at `directory`; the tree at `tree`.
inline size_t entryOf(const Bytes& p, size_t tree, size_t directory, const std::string& name)
{
    for (size_t entry = directory + 16; entry < directory + 16 + 8 * (get32(p, directory + 12) % 65536 + get32(p, directory + 12) / 65536); entry += 8) {
        std::string text = std::to_string(get32(p, entry));
        if (get32(p, entry) >> 31) {
            size_t at = tree + get32(p, entry) % 0x80000000;
            text.clear();
            for (uint32_t i = 0; i < get32(p, at) % 65536; i++) text += char(p[at + 2 + 2 * i]);
        }
        if (text == name) return entry;
    }
    return 0;
}

inline ResourceParts partsOf(const Bytes& p, const std::string& name)
{
    ResourceParts r;
    size_t optionalHeader = get32(p, 0x3C) + 24, resourceEntry = optionalHeader + 112;  // PE32
    for (r.rsrcSection = optionalHeader + get32(p, optionalHeader - 4) % 65536; memcmp(&p[r.rsrcSection], ".rsrc", 6);)
        r.rsrcSection += 40;
    size_t rawMinusRva = size_t(get32(p, r.rsrcSection + 20)) - get32(p, r.rsrcSection + 12);
    r.tree = get32(p, resourceEntry) + rawMinusRva;
    size_t names = r.tree + get32(p, entryOf(p, r.tree, r.tree, "10") + 4) % 0x80000000;
    r.nameEntry = entryOf(p, r.tree, names, name);
    r.nameString = r.tree + get32(p, r.nameEntry) % 0x80000000;
    r.languageEntry = r.tree + get32(p, r.nameEntry + 4) % 0x80000000 + 16;
    r.dataEntry = r.tree + get32(p, r.languageEntry + 4);
    r.data = get32(p, r.dataEntry) + rawMinusRva;
    return r;
}
