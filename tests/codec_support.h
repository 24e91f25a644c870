// Helpers of the codec tests: owned buffers and deterministic data.
#pragma once

#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "lzari.h"

using Bytes = std::vector<uint8_t>;

inline Bytes bytesOf(const std::string& text) { return Bytes(text.begin(), text.end()); }

// The codec's result as owned bytes; `decoded` is false for the null
// result. A decode's also says what the container declared and how its
// stream was read.
struct Decoded {
    bool decoded;
    Bytes bytes;
    int32_t version;
    FILETIME fileTime;
    uint32_t endOfReading;
    bool consumedExactly;
};

inline Decoded owned(BufferResult result)
{
    Decoded decoded{result.data != nullptr, Bytes(result.data, result.data + result.size), -1, {0, 0}, 0, false};
    free(result.data);
    return decoded;
}

inline Bytes encode(const Bytes& input) { return owned(lzariEncode(input.data(), uint32_t(input.size()))).bytes; }
inline Bytes encodeBest(const Bytes& input) { return owned(lzariEncodeBest(input.data(), uint32_t(input.size()))).bytes; }

// Decodes a copy in a block of exactly the container's size, so that a read
// past the container is a read past a heap block (AddressSanitizer's crash).
inline Decoded decode(const Bytes& container, LzariDecodePath path = lzariBestDecodePath())
{
    uint8_t* block = static_cast<uint8_t*>(malloc(container.size() + !container.size()));
    if (!container.empty()) memcpy(block, container.data(), container.size());
    LzariDecoded result = lzariDecode(block, uint32_t(container.size()), nullptr, path);
    Decoded decoded = owned(result.bytes);
    decoded.version = result.version;
    decoded.fileTime = result.fileTime;
    decoded.endOfReading = result.endOfReading;
    decoded.consumedExactly = result.consumedExactly;
    free(block);
    return decoded;
}

// Deterministic data: uniformly random bytes and English-like text. The same
// on every platform: mt19937's raw output is fixed by the standard.
inline Bytes randomBytes(size_t count, uint32_t seed)
{
    std::mt19937 generator(seed);
    Bytes bytes(count);
    for (auto& byte : bytes) byte = uint8_t(generator());
    return bytes;
}

inline Bytes textBytes(size_t count, uint32_t seed)
{
    static const char* const words[] = {"the ", "installer ", "writes ", "each ", "file ", "with ", "its ",
                                        "time ", "stamp ", "into ", "folder ", "and ", "a ", "shortcut ",
                                        "on ", "desktop. ", "Chart ", "Studio ", "data ", "sifter\n"};
    std::mt19937 generator(seed);
    Bytes bytes;
    while (bytes.size() < count) {
        const char* word = words[generator() % (sizeof words / sizeof *words)];
        bytes.insert(bytes.end(), word, word + strlen(word));
    }
    bytes.resize(count);
    return bytes;
}

// A version-1 container made from a version-0 one, as the packing step
// makes it: the other magic and an 8-byte time stamp appended.
inline Bytes asVersion1(Bytes container, FILETIME time)
{
    container.resize(container.size() + 8);
    makeVersion1(container.data(), uint32_t(container.size() - 8), time);
    return container;
}

// "equal", or where and how two buffers first differ.
inline std::string firstDifference(const Bytes& expected, const Bytes& actual)
{
    for (size_t i = 0; i < std::min(expected.size(), actual.size()); i++)
        if (expected[i] != actual[i])
            return "first difference at offset " + std::to_string(i) + ": expected " + std::to_string(expected[i]) +
                   ", got " + std::to_string(actual[i]);
    if (expected.size() != actual.size())
        return "sizes differ: expected " + std::to_string(expected.size()) + ", got " + std::to_string(actual.size());
    return "equal";
}
