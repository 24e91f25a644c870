#include "payload_checksums.h"

#include <algorithm>
#include <cstring>
#include <set>

#include "packed_payload.h"
#include "names.h"

namespace {

[[noreturn]] void fail(const std::string& reason, size_t offset)
{
    throw std::runtime_error(std::string(payloadChecksName) + ": " + reason + " at byte " + std::to_string(offset));
}

// One record from `offset`; returns the offset of the next.
size_t readRecord(const uint8_t* data, size_t size, size_t offset, PayloadChecksum* record)
{
    if (size - offset < 4) fail("record cut short", offset);
    size_t name = offset + 4;
    const void* end = memchr(data + name, 0, size - name);
    if (!end) fail("name without its ending NUL", name);
    size_t nameEnd = size_t(static_cast<const uint8_t*>(end) - data);
    if (nameEnd == name) fail("empty name", name);
    record->crc = readLittleEndian32(data + offset);
    record->name.assign(reinterpret_cast<const char*>(data + name), nameEnd - name);
    size_t next = std::min(size, offset + payloadCheckRecordSize(uint32_t(nameEnd - name)));
    for (size_t pad = nameEnd + 1; pad < next; pad++)
        if (data[pad] != 0) fail("padding that is not NUL", pad);
    return next;
}

}  // namespace

std::vector<PayloadChecksum> readPayloadChecksums(const uint8_t* data, uint32_t size)
{
    std::vector<PayloadChecksum> records;
    std::set<std::string> names;
    for (size_t offset = 0; offset < size;) {
        PayloadChecksum record;
        size_t next = readRecord(data, size, offset, &record);
        if (!names.insert(upperCaseName(record.name)).second) fail(printableName(record.name) + " given twice", offset);
        records.push_back(record);
        offset = next;
    }
    return records;
}
