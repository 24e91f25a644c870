// The container that carries one packed file.
//
//   version 0: "LZar" | coded stream | length (u32 LE)
//   version 1: "LzaR" | coded stream | length (u32 LE) | FILETIME (low half, high half)
//
// No field gives the stream's length: a reader finds the fields from both
// ends. The decoder reads the magic again as the first four bytes of its
// input and accepts either magic there, since it ignores letter case.
#pragma once

#include <cstdint>

#ifdef _WIN32
#include <windef.h>  // FILETIME, as the platform defines it
#else
// The platform's 64-bit time stamp: 100-nanosecond intervals since
// 1601-01-01 UTC, as two unsigned halves, low half first.
struct FILETIME {
    uint32_t dwLowDateTime;
    uint32_t dwHighDateTime;
};
#endif

static_assert(sizeof(FILETIME) == 8, "a FILETIME is two 32-bit halves");

constexpr uint8_t magicVersion0[4] = {'L', 'Z', 'a', 'r'};
constexpr uint8_t magicVersion1[4] = {'L', 'z', 'a', 'R'};

// The smallest containers of each version: the magic and the length field,
// plus the time stamp in version 1. Shorter ones are refused.
constexpr uint32_t version0Overhead = 8;
constexpr uint32_t version1Overhead = 16;

// The container's version by its magic, byte for byte: 0 for "LZar", 1 for
// "LzaR", -1 for neither (or no room for a magic).
int32_t containerVersion(const uint8_t* container, uint32_t containerSize);

// The decoder reads the magic again as the first four bytes of the stream,
// and takes any mix of letter case of "LZar" there: both magics pass, and
// so does "LZAR". `container` holds at least 4 bytes.
bool streamMagicPasses(const uint8_t* container);

// Makes the version-0 container of `version0Size` bytes at `container` a
// version-1 one: the other magic, and `time` written into the 8 bytes that
// follow it (the caller's block holds them).
void makeVersion1(uint8_t* container, uint32_t version0Size, FILETIME time);

// What a container declares, read from its fields alone, without decoding.
struct PayloadFields {
    int32_t version;         // 0 or 1
    uint32_t streamSize;     // bytes of coded stream between magic and length
    uint32_t decodedLength;  // the length field
    FILETIME fileTime;       // version 1 only; zero for version 0
};

// Fills `fields` and returns true when the container begins with one of the
// two magics and is long enough for that version's fields; returns false
// (leaving `fields` untouched) for anything else.
bool readPayloadFields(const uint8_t* container, uint32_t containerSize, PayloadFields* fields);

// The most bytes a coded stream of `streamSize` bytes can honestly stand
// for. Every coded symbol of a well-formed stream costs at least a tiny
// fraction of a bit, so a length field far above this bound cannot be
// true; a reader can refuse it before allocating anything.
uint64_t payloadLengthBound(uint32_t streamSize);

uint32_t readLittleEndian32(const uint8_t* bytes);
void writeLittleEndian32(uint8_t* bytes, uint32_t value);
FILETIME readFileTime(const uint8_t* bytes);
void writeFileTime(uint8_t* bytes, FILETIME time);
