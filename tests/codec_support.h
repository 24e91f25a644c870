// Helpers shared by the codec tests: owned buffers, deterministic data, a
// symbol-level view of coded streams and a writer of hand-made streams.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "lzari.h"

using Bytes = std::vector<uint8_t>;

Bytes bytesOf(const std::string& text);
Bytes encode(const Bytes& input);

// Decodes and takes ownership of the result; `decoded` is false for the
// null result.
struct Decoded {
    bool decoded;
    Bytes bytes;
};
Decoded decode(const Bytes& container);

// Deterministic data: uniformly random bytes, English-like text, and a
// mixture shaped like a program's payloads (code-like records, tables,
// padding, text, noise and repeats). The same on every platform: mt19937's
// output is fixed by the standard, and only its raw output is used.
Bytes randomBytes(size_t count, uint32_t seed);
Bytes textBytes(size_t count, uint32_t seed);
Bytes mixedBytes(size_t count, uint32_t seed);

// A version-1 container made from a version-0 one, as the packing step
// makes it: the other magic and an 8-byte time stamp appended.
Bytes asVersion1(Bytes container, FILETIME time);

// One coded symbol: a literal byte, or a match with its length and its
// distance code (the match lies distanceCode + 1 bytes back).
struct CodedSymbol {
    bool isMatch;
    int literal;
    int length;
    int distanceCode;
    bool operator==(const CodedSymbol& other) const;
};
CodedSymbol literal(int byte);
CodedSymbol match(int length, int distanceCode);
std::string describe(const std::vector<CodedSymbol>& symbols);

// The symbols a container's stream codes, read with the decoder's own
// primitives, until they account for the container's length.
std::vector<CodedSymbol> codedSymbols(const Bytes& container);

// A version-0 container whose stream codes exactly `symbols`, with the
// given length field: for streams the encoder would never write.
Bytes containerOfSymbols(const std::vector<CodedSymbol>& symbols, uint32_t lengthField);

// "equal", or where and how two buffers first differ.
std::string firstDifference(const Bytes& expected, const Bytes& actual);
