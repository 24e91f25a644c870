#include "payload_checks.h"

#include <cstring>

#include "ascii_case.h"
#include "packed_payload.h"

namespace {

bool sameNameIgnoringCase(const char* a, const char* b)
{
    for (; *a && *b; a++, b++) {
        if (asciiUpper(*a) != asciiUpper(*b)) return false;
    }
    return *a == *b;
}

}  // namespace

const char* readPayloadCheck(const uint8_t* records, uint32_t size, uint32_t* at, PayloadCheck* record)
{
    uint32_t offset = *at;
    if (size - offset < 4) return "record cut short";
    uint32_t name = offset + 4;
    const void* end = memchr(records + name, 0, size - name);
    *at = name;
    if (!end) return "name without its ending NUL";
    uint32_t nameLength = uint32_t(static_cast<const uint8_t*>(end) - (records + name));
    if (nameLength == 0) return "empty name";
    uint32_t next = offset + payloadCheckRecordSize(nameLength);
    *at = offset;
    if (next > size || next < offset) return "record cut short";
    for (uint32_t pad = name + nameLength + 1; pad < next; pad++) {
        *at = pad;
        if (records[pad] != 0) return "padding that is not NUL";
    }
    *record = PayloadCheck{readLittleEndian32(records + offset), reinterpret_cast<const char*>(records + name),
                           nameLength};
    *at = next;
    return nullptr;
}

bool findPayloadCheck(const uint8_t* records, uint32_t size, const char* name, uint32_t* crc)
{
    PayloadCheck record;
    for (uint32_t at = 0; at < size;) {
        if (readPayloadCheck(records, size, &at, &record)) return false;
        if (sameNameIgnoringCase(record.name, name)) {
            *crc = record.crc;
            return true;
        }
    }
    return false;
}

void writePayloadCheck(uint8_t* record, uint32_t crc, const char* name, uint32_t nameLength)
{
    writeLittleEndian32(record, crc);
    memcpy(record + 4, name, nameLength);
    memset(record + 4 + nameLength, 0, payloadCheckRecordSize(nameLength) - 4 - nameLength);
}
