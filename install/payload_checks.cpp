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

bool findPayloadCheck(const uint8_t* records, uint32_t size, const char* name, uint32_t* crc)
{
    uint32_t at = 0;
    while (size - at >= 8) {  // the smallest record: a CRC and a padded empty name
        const char* recordName = reinterpret_cast<const char*>(records + at + 4);
        const void* end = memchr(recordName, 0, size - at - 4);
        if (!end) return false;
        uint32_t nameLength = uint32_t(static_cast<const char*>(end) - recordName);
        uint32_t recordSize = payloadCheckRecordSize(nameLength);
        if (recordSize > size - at) return false;
        if (sameNameIgnoringCase(recordName, name)) {
            *crc = readLittleEndian32(records + at);
            return true;
        }
        at += recordSize;
    }
    return false;
}
