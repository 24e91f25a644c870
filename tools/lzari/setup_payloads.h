// A setup program's payloads as lzari's list, extract and verify see them:
// every string-named RCDATA resource but PAYLOADCRC is a payload
// container, and PAYLOADCRC, when the program carries it, holds the CRC-32
// of each payload's decoded bytes.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "container_unpack.h"
#include "names.h"

struct SetupPayload {
    std::string name;  // the file's name as the installer writes it: its check record's, else the resource's
    const uint8_t* container;  // inside the program's bytes
    uint32_t size;
    bool checksummed;                     // the program carries PAYLOADCRC
    std::optional<uint32_t> expectedCrc;  // this payload's record there
};

struct SetupContents {
    std::vector<SetupPayload> payloads;  // in the resource directory's order
    bool checksummed;
    // Why the installer would stop before any payload is looked at (no
    // PAYLOADCRC, a record whose payload is missing), one line each.
    std::vector<std::string> problems;
    // The Authenticode signature's PKCS#7 bytes, inside the program (null
    // when it is not signed).
    const uint8_t* signature = nullptr;
    uint32_t signatureSize = 0;
};

// Throws std::runtime_error with a one-line message beginning with `path`
// for a file that is not a readable program, a program without payloads,
// a malformed PAYLOADCRC or a payload name given twice.
SetupContents readSetupContents(const uint8_t* program, size_t size, const std::string& path);

enum class CrcCheck { NoTable, NoRecord, Matches, Differs };

struct DecodedPayload {
    Unpacked unpacked;
    CrcCheck crc;
    uint32_t actualCrc;
};

// Decodes the payload and compares its CRC-32 with its record. Throws for
// a container that is not one or is damaged, the message beginning
// "PATH: NAME:" and ending with the code the installer would stop with; a
// CRC that differs or has no record is only told.
DecodedPayload decodePayload(const SetupPayload& payload, const std::string& path);

// Why the installer would refuse a decoded payload, with the code it would
// show, or "" when it would take it: a version-0 container, a CRC-32 that
// differs from its record, or no record in PAYLOADCRC.
std::string checksumProblem(const DecodedPayload& decoded, const SetupPayload& payload, const std::string& path);

// A payload that decodes and passes its check; throws otherwise.
DecodedPayload trustedPayload(const SetupPayload& payload, const std::string& path);

// Refuses (throwing, "nothing ...") every payload name that could name a
// file outside `folder` or fool the eye: empty, "." or "..", a slash, a
// backslash, a drive colon, a control character or a mark that turns the
// direction of text.
void checkPayloadNames(const SetupContents& contents, const std::string& path, const std::string& folder);
