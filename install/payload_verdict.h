// What the installer does with one payload's container: takes its decoded
// bytes, or stops with a code. Free of the platform, so that the extraction
// pass and lzari's list, extract and verify judge every payload by the same
// rules, in the same order.
#pragma once

#include <cstdint>

#include "lzari.h"

// A container decoded as a well-formed one is read, or why it is not.
struct DecodedContainer {
    BufferResult decoded;  // a new block the caller frees; null for an empty file or a fault
    int32_t version;       // by its magic: 0, 1, or -1 for neither
    const char* fault;     // null when it decoded as a well-formed container does
    bool outOfMemory;      // the fault: a well-formed container whose bytes found no memory
    bool hasFields;        // long enough for its version's fields, which `fields` then holds
    PayloadFields fields;
};

// No magic; too short for its version's fields; a length field that no
// stream of its size can honestly fill (refused before anything is
// allocated); a length of 0 over a stream that is not empty; no memory for
// the bytes; a decode that does not end where a well-formed stream ends.
// The decode counts its progress in `progress` (when given).
DecodedContainer decodeContainer(const uint8_t* container, uint32_t size, LzariProgress* progress = nullptr);

struct PayloadVerdict {
    int code;              // 0: taken; else the code the installer stops with (344, 346, 347, 348)
    const char* reason;           // for a reader, what is wrong; "" when taken
    DecodedContainer container;   // decodeContainer's, whatever the code
    bool recorded;                // the records have one for it
    uint32_t crc;                 // of the decoded bytes, when well-formed and the records were given
    uint32_t recordedCrc;         // when recorded
};

// Judges the payload `name` by its container and by the program's check
// records (PAYLOADCRC's bytes), in the installer's order: a container that
// is not of version 1, judged by its own magic, stops it with 344; one
// whose decoded bytes find no memory, with 347; one that does not decode as
// a well-formed one, with 346; decoded bytes without
// their record or with another CRC-32, with 348. Judged by its own magic, a
// payload's verdict never depends on the payload before it. Null `checks`:
// the records are not looked at (a program without them is refused before
// any payload).
PayloadVerdict judgePayload(const uint8_t* container, uint32_t size, const char* name, const uint8_t* checks,
                            uint32_t checksSize, LzariProgress* progress = nullptr);
