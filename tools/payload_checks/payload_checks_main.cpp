// payload_checks OUT NAME FILE [NAME FILE ...]: a build step that writes the
// setup program's check resource, the CRC-32 of every payload's bytes
// under its resource name, computed with zlib from the very files that are
// packed (not from the containers), so that the check also holds the
// encoder to what it was given.
#include <zlib.h>

#include <cstdio>
#include <cstring>
#include <stdexcept>
#include <string>

#include "file_io.h"
#include "payload_checks.h"

namespace {

void appendRecord(std::string& records, const std::string& name, const std::string& source)
{
    MappedFile file(source);
    uLong crc = crc32(0, nullptr, 0);
    // zlib takes at most 4 GB per call; a payload is far smaller.
    crc = crc32(crc, file.data(), uInt(file.size()));
    size_t at = records.size();
    records.resize(at + payloadCheckRecordSize(uint32_t(name.size())));
    writePayloadCheck(reinterpret_cast<uint8_t*>(&records[at]), uint32_t(crc), name.c_str(), uint32_t(name.size()));
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 2 || argc % 2 != 0) {
        fprintf(stderr, "usage: payload_checks OUT NAME FILE [NAME FILE ...]\n");
        return 2;
    }
    try {
        std::string records;
        for (int i = 2; i < argc; i += 2) appendRecord(records, argv[i], argv[i + 1]);
        writeFileAtomically(argv[1], reinterpret_cast<const uint8_t*>(records.data()), records.size(), std::nullopt);
    } catch (const std::exception& error) {
        fprintf(stderr, "payload_checks: %s\n", error.what());
        return 1;
    }
    return 0;
}
