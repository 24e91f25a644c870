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

// The codec's result as owned bytes; `decoded` is false for the null result.
struct Decoded {
    bool decoded;
    Bytes bytes;
};

inline Decoded owned(BufferResult result)
{
    Decoded decoded{result.data != nullptr, Bytes(result.data, result.data + result.size)};
    free(result.data);
    return decoded;
}

inline Bytes encode(const Bytes& input) { return owned(lzariEncode(input.data(), uint32_t(input.size()))).bytes; }

// Decodes a copy in a block of exactly the container's size, so that a read
// past the container is a read past a heap block (AddressSanitizer's crash).
inline Decoded decode(const Bytes& container)
{
    uint8_t* block = static_cast<uint8_t*>(malloc(container.size() + !container.size()));
    if (!container.empty()) memcpy(block, container.data(), container.size());
    Decoded decoded = owned(lzariDecode(block, uint32_t(container.size())));
    free(block);
    return decoded;
}

// Deterministic data: uniformly random bytes, English-like text, and a
// mixture shaped like a program's payloads (code-like records, tables,
// padding, text, noise and repeats). The same on every platform: mt19937's
// raw output is fixed by the standard.
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

inline Bytes mixedBytes(size_t count, uint32_t seed)
{
    std::mt19937 generator(seed);
    Bytes bytes;
    while (bytes.size() < count) {
        size_t length = 64 + generator() % 2000;
        switch (generator() % 6) {
        case 0:  // code-like: opcodes from a small set with little-endian addresses
            for (size_t i = 0; i < length; i += 5) {
                static const uint8_t opcodes[] = {0x8B, 0x89, 0xE8, 0xFF, 0x83, 0x50, 0x55, 0xC3};
                bytes.push_back(opcodes[generator() % 8]);
                uint32_t address = 0x00401000 + (generator() % 4096) * 4;
                for (int b = 0; b < 4; b++) bytes.push_back(uint8_t(address >> (8 * b)));
            }
            break;
        case 1: {  // a table of 16-bit values rising slowly
            uint16_t value = uint16_t(generator());
            for (size_t i = 0; i < length; i += 2) {
                value = uint16_t(value + generator() % 8);
                bytes.push_back(uint8_t(value));
                bytes.push_back(uint8_t(value >> 8));
            }
            break;
        }
        case 2: bytes.insert(bytes.end(), length, generator() % 2 ? 0 : 0xCC); break;  // padding
        case 3: {
            Bytes text = textBytes(length, generator());
            bytes.insert(bytes.end(), text.begin(), text.end());
            break;
        }
        case 4:  // already-compressed data
            for (size_t i = 0; i < length; i++) bytes.push_back(uint8_t(generator()));
            break;
        default:  // a repeat from somewhere in the last 4 KB
            if (bytes.size() > 4096) {
                size_t from = bytes.size() - 1 - generator() % 4095;
                for (size_t i = 0; i < length; i++) bytes.push_back(bytes[from + i]);
            }
        }
    }
    bytes.resize(count);
    return bytes;
}

// A version-1 container made from a version-0 one, as the packing step
// makes it: the other magic and an 8-byte time stamp appended.
inline Bytes asVersion1(Bytes container, FILETIME time)
{
    memcpy(container.data(), magicVersion1, 4);
    container.resize(container.size() + 8);
    writeFileTime(&container[container.size() - 8], time);
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
