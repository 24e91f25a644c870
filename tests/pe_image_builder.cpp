#include "pe_image_builder.h"

namespace {

constexpr size_t peSignature = 0x40;  // right after the 64-byte DOS header
constexpr size_t fileAlignment = 0x200;
constexpr uint32_t namedEntry = 0x80000000u;

struct NameGroup {
    std::string key;  // the name, or "#ID"
    const TestResource* first;
    std::vector<const TestResource*> languages;
};

struct TypeGroup {
    uint16_t type;
    std::vector<NameGroup> names;
};

std::string nameKey(const TestResource& resource)
{
    return resource.name.empty() ? "#" + std::to_string(resource.id) : resource.name;
}

void addToGroup(std::vector<NameGroup>& names, const TestResource& resource)
{
    for (NameGroup& group : names)
        if (group.key == nameKey(resource)) return group.languages.push_back(&resource);
    names.push_back({nameKey(resource), &resource, {&resource}});
}

std::vector<TypeGroup> groupResources(const std::vector<TestResource>& resources)
{
    std::vector<TypeGroup> types;
    for (bool named : {true, false}) {
        for (const TestResource& resource : resources) {
            if (resource.name.empty() == named) continue;
            TypeGroup* group = nullptr;
            for (TypeGroup& type : types)
                if (type.type == resource.type) group = &type;
            if (!group) group = &types.emplace_back(TypeGroup{resource.type, {}});
            addToGroup(group->names, resource);
        }
    }
    return types;
}

// Appends a directory with room for its entries; returns its tree offset.
size_t addDirectory(Bytes& tree, size_t named, size_t ids)
{
    size_t offset = tree.size();
    tree.resize(offset + 16 + 8 * (named + ids));
    put16(tree, offset + 12, uint16_t(named));
    put16(tree, offset + 14, uint16_t(ids));
    return offset;
}

void setEntry(Bytes& tree, size_t directory, size_t index, uint32_t nameOrId, uint32_t target)
{
    put32(tree, directory + 16 + 8 * index, nameOrId);
    put32(tree, directory + 16 + 8 * index + 4, target);
}

size_t countNamed(const std::vector<NameGroup>& names)
{
    size_t named = 0;
    for (const NameGroup& group : names) named += !group.first->name.empty();
    return named;
}

// The tree, laid out level by level: directories, data entries, name
// strings, then the data, each block at a multiple of 4.
Bytes buildTree(const std::vector<TestResource>& resources, TestImage& image)
{
    std::vector<TypeGroup> types = groupResources(resources);
    Bytes tree;
    size_t root = addDirectory(tree, 0, types.size());
    image.directories[""] = root;
    for (size_t t = 0; t < types.size(); t++) {
        size_t named = countNamed(types[t].names);
        size_t names = addDirectory(tree, named, types[t].names.size() - named);
        setEntry(tree, root, t, types[t].type, namedEntry | uint32_t(names));
        image.directories[std::to_string(types[t].type)] = names;
    }
    struct Pending {
        std::string path;
        const TestResource* resource;
        size_t entry;
    };
    std::vector<Pending> pending;
    for (const TypeGroup& type : types) {
        size_t names = image.directories[std::to_string(type.type)];
        for (size_t n = 0; n < type.names.size(); n++) {
            const NameGroup& group = type.names[n];
            std::string path = std::to_string(type.type) + "/" + group.key;
            size_t languages = addDirectory(tree, 0, group.languages.size());
            setEntry(tree, names, n, group.first->name.empty() ? group.first->id : 0, namedEntry | uint32_t(languages));
            image.directories[path] = languages;
            for (size_t l = 0; l < group.languages.size(); l++)
                pending.push_back({path + "/" + std::to_string(group.languages[l]->language), group.languages[l],
                                   languages + 16 + 8 * l});
        }
    }
    for (Pending& item : pending) {
        size_t entry = tree.size();
        tree.resize(entry + 16);
        put32(tree, item.entry, item.resource->language);
        put32(tree, item.entry + 4, uint32_t(entry));
        image.dataEntries[item.path] = entry;
    }
    for (const TypeGroup& type : types) {
        size_t names = image.directories[std::to_string(type.type)];
        for (size_t n = 0; n < type.names.size(); n++) {
            const std::string& name = type.names[n].first->name;
            if (name.empty()) continue;
            size_t at = tree.size();
            tree.resize((at + 2 + 2 * name.size() + 3) / 4 * 4);
            put16(tree, at, uint16_t(name.size()));
            for (size_t i = 0; i < name.size(); i++) put16(tree, at + 2 + 2 * i, uint8_t(name[i]));
            put32(tree, names + 16 + 8 * n, namedEntry | uint32_t(at));
            image.names[name] = at;
        }
    }
    for (Pending& item : pending) {
        size_t at = tree.size();
        tree.insert(tree.end(), item.resource->data.begin(), item.resource->data.end());
        tree.resize((tree.size() + 3) / 4 * 4);
        size_t entry = image.dataEntries[item.path];
        put32(tree, entry, testSectionRva + uint32_t(at));
        put32(tree, entry + 4, uint32_t(item.resource->data.size()));
    }
    return tree;
}

// DOS header, "PE\0\0", file header, optional header with 16 data
// directories (only the resource table's set) and one section header.
void writeHeaders(TestImage& image, bool pe32Plus, uint32_t treeSize, uint32_t rawSize)
{
    Bytes& bytes = image.bytes;
    bytes[0] = 'M';
    bytes[1] = 'Z';
    put32(bytes, 0x3C, peSignature);
    put32(bytes, peSignature, 0x00004550);  // "PE\0\0"
    image.fileHeader = peSignature + 4;
    uint16_t optionalSize = pe32Plus ? 240 : 224;
    put16(bytes, image.fileHeader, pe32Plus ? 0x8664 : 0x14C);
    put16(bytes, image.fileHeader + 2, 1);
    put16(bytes, image.fileHeader + 16, optionalSize);
    put16(bytes, image.fileHeader + 18, 0x0102);  // executable, 32-bit words
    image.optionalHeader = image.fileHeader + 20;
    put16(bytes, image.optionalHeader, pe32Plus ? 0x20B : 0x10B);
    put32(bytes, image.optionalHeader + (pe32Plus ? 108 : 92), 16);
    image.resourceEntry = image.optionalHeader + (pe32Plus ? 128 : 112);
    put32(bytes, image.resourceEntry, testSectionRva);
    put32(bytes, image.resourceEntry + 4, treeSize);
    image.sectionTable = image.optionalHeader + optionalSize;
    const char name[8] = {'.', 'r', 's', 'r', 'c'};
    std::copy(name, name + 8, bytes.begin() + long(image.sectionTable));
    put32(bytes, image.sectionTable + 8, treeSize);
    put32(bytes, image.sectionTable + 12, testSectionRva);
    put32(bytes, image.sectionTable + 16, rawSize);
    put32(bytes, image.sectionTable + 20, fileAlignment);
}

}  // namespace

TestImage buildTestImage(const std::vector<TestResource>& resources, bool pe32Plus)
{
    TestImage image;
    Bytes tree = buildTree(resources, image);
    uint32_t rawSize = uint32_t((tree.size() + fileAlignment - 1) / fileAlignment * fileAlignment);
    image.bytes.assign(fileAlignment + rawSize, 0);
    writeHeaders(image, pe32Plus, uint32_t(tree.size()), rawSize);
    std::copy(tree.begin(), tree.end(), image.bytes.begin() + fileAlignment);
    image.tree = fileAlignment;
    for (auto* offsets : {&image.directories, &image.dataEntries, &image.names})
        for (auto& [key, offset] : *offsets) offset += fileAlignment;
    return image;
}

Bytes checksumTable(const std::vector<ChecksumRecord>& records)
{
    Bytes table;
    for (const ChecksumRecord& record : records) {
        size_t at = table.size();
        table.resize(at + (4 + record.name.size() + 1 + 3) / 4 * 4);
        put32(table, at, record.crc);
        std::copy(record.name.begin(), record.name.end(), table.begin() + long(at) + 4);
    }
    return table;
}

void put16(Bytes& bytes, size_t offset, uint16_t value)
{
    bytes[offset] = uint8_t(value);
    bytes[offset + 1] = uint8_t(value >> 8);
}

void put32(Bytes& bytes, size_t offset, uint32_t value)
{
    put16(bytes, offset, uint16_t(value));
    put16(bytes, offset + 2, uint16_t(value >> 16));
}

uint32_t get32(const Bytes& bytes, size_t offset)
{
    return uint32_t(bytes[offset]) | uint32_t(bytes[offset + 1]) << 8 | uint32_t(bytes[offset + 2]) << 16 |
           uint32_t(bytes[offset + 3]) << 24;
}
