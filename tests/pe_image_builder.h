// Small Windows program images made byte by byte, for the resource reader's
// tests and its fuzzing seeds: the headers, one section ".rsrc" holding a
// resource tree (type, name, language) and the resources' bytes. The file
// offsets of the tree's parts are recorded, so that a test can damage
// exactly one of them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

using Bytes = std::vector<uint8_t>;

struct TestResource {
    uint16_t type;
    std::string name;  // empty: named by `id`
    uint16_t id;
    uint16_t language;
    Bytes data;
};

struct TestImage {
    Bytes bytes;
    size_t fileHeader;      // the COFF file header, after "PE\0\0"
    size_t optionalHeader;
    size_t resourceEntry;   // data directory 2: RVA, size
    size_t sectionTable;
    size_t tree;            // the resource directory's root
    // File offsets of the tree's parts. Directories are keyed "" (the
    // root), "10" (a type's names) and "10/NAME" (a name's languages; an ID
    // is written as "#7"); data entries "10/NAME/1033"; name strings "NAME".
    std::map<std::string, size_t> directories;
    std::map<std::string, size_t> dataEntries;
    std::map<std::string, size_t> names;
};

// Named resources come before ID-named ones in each directory, as the
// format wants; otherwise the order given is kept.
TestImage buildTestImage(const std::vector<TestResource>& resources, bool pe32Plus = false);

// The section's RVA: a data entry's RVA is this plus the data's offset in
// the tree.
constexpr uint32_t testSectionRva = 0x1000;

// The bytes of a PAYLOADCRC resource, each record as the build writes it:
// the CRC, the name, a NUL and NULs up to a multiple of 4 bytes.
struct ChecksumRecord {
    uint32_t crc;
    std::string name;
};
Bytes checksumTable(const std::vector<ChecksumRecord>& records);

void put16(Bytes& bytes, size_t offset, uint16_t value);
void put32(Bytes& bytes, size_t offset, uint32_t value);
uint32_t get32(const Bytes& bytes, size_t offset);
