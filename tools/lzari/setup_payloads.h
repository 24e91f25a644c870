// A setup program's payloads as lzari's list, extract and verify see them:
// every string-named RCDATA resource but PAYLOADCRC is a payload
// container, and PAYLOADCRC, when the program carries it, holds the CRC-32
// of each payload's decoded bytes. Each payload is judged as the installer
// judges it (payload_verdict.h).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "container_unpack.h"  // CodecBlock
#include "names.h"
#include "pe_resources.h"  // SignedRegions
#include "payload_checks.h"
#include "payload_verdict.h"

struct SetupPayload {
    std::string name;  // the file's name as the installer writes it: its check record's, else the resource's
    const uint8_t* container;  // inside the program's bytes
    uint32_t size;
};

struct SetupContents {
    std::vector<SetupPayload> payloads;  // in the resource directory's order
    bool checksummed;                    // the program carries PAYLOADCRC
    const uint8_t* checks = nullptr;     // its records, inside the program
    uint32_t checksSize = 0;
    // Why the installer would stop before any payload is looked at (no
    // PAYLOADCRC, a record whose payload is missing), one line each.
    std::vector<std::string> problems;
    SignedRegions signing;  // the Authenticode signature and what it covers
};

// PAYLOADCRC's records, in order; throws std::runtime_error with a one-line
// reason, beginning "PAYLOADCRC", for a record the installer would not read
// (payload_checks.h) or a name given twice (in any letter case).
std::vector<PayloadCheck> listPayloadChecks(const uint8_t* records, uint32_t size);

// Throws std::runtime_error with a one-line message beginning with `path`
// for a file that is not a readable program, a program without payloads,
// a malformed PAYLOADCRC or a payload name given twice.
SetupContents readSetupContents(const uint8_t* program, size_t size, const std::string& path);

struct DecodedPayload {
    PayloadVerdict verdict;
    CodecBlock data;       // the decoded bytes, which the verdict points to
    PayloadFields fields;  // the verdict's container's (zero when it has none)
    // "" when the installer takes it; else one line, "PATH: NAME: " what
    // is wrong, ending with the code the installer stops with.
    std::string problem;
};

DecodedPayload decodePayload(const SetupPayload& payload, const SetupContents& contents, const std::string& path);

// A payload the installer takes; throws its problem otherwise.
DecodedPayload trustedPayload(const SetupPayload& payload, const SetupContents& contents, const std::string& path);

// Refuses (throwing, "nothing ...") every payload name that could name a
// file outside `folder` or fool the eye: empty, "." or "..", a slash, a
// backslash, a drive colon, a control character or a mark that turns the
// direction of text.
void checkPayloadNames(const SetupContents& contents, const std::string& path, const std::string& folder);
