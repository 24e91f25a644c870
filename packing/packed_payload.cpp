#include "packed_payload.h"

#include <cstring>

#include "ascii_case.h"

uint32_t readLittleEndian32(const uint8_t* bytes)
{
    return uint32_t(bytes[0]) | uint32_t(bytes[1]) << 8 | uint32_t(bytes[2]) << 16 | uint32_t(bytes[3]) << 24;
}

void writeLittleEndian32(uint8_t* bytes, uint32_t value)
{
    for (int i = 0; i < 4; i++) bytes[i] = uint8_t(value >> (8 * i));
}

FILETIME readFileTime(const uint8_t* bytes)
{
    FILETIME time;
    time.dwLowDateTime = readLittleEndian32(bytes);
    time.dwHighDateTime = readLittleEndian32(bytes + 4);
    return time;
}

void writeFileTime(uint8_t* bytes, FILETIME time)
{
    writeLittleEndian32(bytes, time.dwLowDateTime);
    writeLittleEndian32(bytes + 4, time.dwHighDateTime);
}

int32_t containerVersion(const uint8_t* container, uint32_t containerSize)
{
    if (containerSize < 4) return -1;
    if (memcmp(container, magicVersion0, 4) == 0) return 0;
    if (memcmp(container, magicVersion1, 4) == 0) return 1;
    return -1;
}

bool streamMagicPasses(const uint8_t* container)
{
    for (int i = 0; i < 4; i++) {
        if (asciiUpper(container[i]) != asciiUpper(magicVersion0[i])) return false;
    }
    return true;
}

void makeVersion1(uint8_t* container, uint32_t version0Size, FILETIME time)
{
    memcpy(container, magicVersion1, 4);
    writeFileTime(container + version0Size, time);
}

bool readPayloadFields(const uint8_t* container, uint32_t containerSize, PayloadFields* fields)
{
    int32_t version = containerVersion(container, containerSize);
    if (version < 0 || containerSize < (version == 1 ? version1Overhead : version0Overhead)) return false;
    PayloadFields read = {};
    read.version = version;
    uint32_t end = containerSize;
    if (version == 1) {
        end -= 8;
        read.fileTime = readFileTime(container + end);
    }
    read.decodedLength = readLittleEndian32(container + end - 4);
    read.streamSize = end - 8;
    *fields = read;
    return true;
}

// A symbol keeps at most (32767 - 313) / 32767 of the coder's range, so it
// costs at least 0.0138 bits: fewer than 73 symbols per bit read, each
// standing for at most one byte when it is that cheap (a match costs a
// distance of 8 bits or more, so at most 60 bytes per 8 bits). A decode
// reads the stream and 2 bytes past it, hence 8 * 73 bytes per stream byte,
// rounded up generously.
uint64_t payloadLengthBound(uint32_t streamSize)
{
    return 1024 * (uint64_t(streamSize) + 2);
}
