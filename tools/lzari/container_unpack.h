// Decoding one container file held in memory (lzari unpack and info),
// refusing one that is not a container or that does not decode as a
// well-formed one does, by the rules the installer decodes its payloads
// with.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>

#include "packed_payload.h"

struct FreeDeleter {
    void operator()(uint8_t* block) const { free(block); }
};
using CodecBlock = std::unique_ptr<uint8_t, FreeDeleter>;

struct Unpacked {
    PayloadFields fields;
    CodecBlock data;  // null for an empty file
};

// Throws std::runtime_error whose one-line message begins with `label`
// (the file, or the program and the resource).
Unpacked unpackContainer(const uint8_t* container, size_t size, const std::string& label);
