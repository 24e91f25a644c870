#include "codec_support.h"

#include <cstdlib>
#include <cstring>
#include <random>
#include <sstream>

#include "lzari_decoder.h"
#include "lzari_encoder.h"

Bytes bytesOf(const std::string& text) { return Bytes(text.begin(), text.end()); }

Bytes encode(const Bytes& input)
{
    BufferResult result = lzariEncode(input.data(), uint32_t(input.size()));
    Bytes container(result.data, result.data + result.size);
    free(result.data);
    return container;
}

Decoded decode(const Bytes& container)
{
    BufferResult result = lzariDecode(container.data(), uint32_t(container.size()));
    Decoded decoded{result.data != nullptr, Bytes(result.data, result.data + result.size)};
    free(result.data);
    return decoded;
}

Bytes randomBytes(size_t count, uint32_t seed)
{
    std::mt19937 generator(seed);
    Bytes bytes(count);
    for (auto& byte : bytes) byte = uint8_t(generator());
    return bytes;
}

Bytes textBytes(size_t count, uint32_t seed)
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

Bytes mixedBytes(size_t count, uint32_t seed)
{
    std::mt19937 generator(seed);
    Bytes bytes;
    while (bytes.size() < count) {
        size_t length = 64 + generator() % 2000;
        switch (generator() % 6) {
        case 0: {  // code-like: opcodes from a small set with little-endian addresses
            for (size_t i = 0; i < length; i += 5) {
                static const uint8_t opcodes[] = {0x8B, 0x89, 0xE8, 0xFF, 0x83, 0x50, 0x55, 0xC3};
                bytes.push_back(opcodes[generator() % 8]);
                uint32_t address = 0x00401000 + (generator() % 4096) * 4;
                for (int b = 0; b < 4; b++) bytes.push_back(uint8_t(address >> (8 * b)));
            }
            break;
        }
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
        case 4: {  // already-compressed data
            for (size_t i = 0; i < length; i++) bytes.push_back(uint8_t(generator()));
            break;
        }
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

Bytes asVersion1(Bytes container, FILETIME time)
{
    memcpy(container.data(), magicVersion1, 4);
    uint8_t trailer[8];
    writeFileTime(trailer, time);
    container.insert(container.end(), trailer, trailer + 8);
    return container;
}

bool CodedSymbol::operator==(const CodedSymbol& other) const
{
    return isMatch == other.isMatch &&
           (isMatch ? length == other.length && distanceCode == other.distanceCode : literal == other.literal);
}

CodedSymbol literal(int byte) { return CodedSymbol{false, byte, 1, 0}; }
CodedSymbol match(int length, int distanceCode) { return CodedSymbol{true, 0, length, distanceCode}; }

std::string describe(const std::vector<CodedSymbol>& symbols)
{
    std::ostringstream text;
    for (const CodedSymbol& symbol : symbols) {
        if (symbol.isMatch) text << "match(" << symbol.length << ", d" << symbol.distanceCode << ") ";
        else text << "literal(" << symbol.literal << ") ";
    }
    return text.str();
}

std::vector<CodedSymbol> codedSymbols(const Bytes& container)
{
    PayloadFields fields;
    std::vector<CodedSymbol> symbols;
    if (!readPayloadFields(container.data(), uint32_t(container.size()), &fields)) return symbols;
    RangeCoder coder;
    BitReader reader;
    startDecoding(coder, reader, container.data(), 4, uint32_t(container.size()) - (fields.version == 1 ? 8 : 0));
    resetModel();
    for (uint32_t produced = 0; produced < fields.textLength;) {
        int code = decodeSymbol(coder, reader);
        symbols.push_back(code < 256 ? literal(code) : match(code - 253, decodeDistance(coder, reader)));
        produced += uint32_t(symbols.back().length);
    }
    return symbols;
}

Bytes containerOfSymbols(const std::vector<CodedSymbol>& symbols, uint32_t lengthField)
{
    outputCapacity = 1024;
    outputBuffer = static_cast<uint8_t*>(malloc(outputCapacity));
    outputPos = 0;
    outputFailed = false;
    for (uint8_t byte : magicVersion0) writeOutputByte(byte);
    RangeCoder coder;
    startEncoding(coder);
    resetModel();
    for (const CodedSymbol& symbol : symbols) {
        if (!symbol.isMatch) {
            encodeSymbol(coder, symbol.literal);
            continue;
        }
        encodeSymbol(coder, 253 + symbol.length);
        encodeDistance(coder, symbol.distanceCode);
    }
    finishCoding(coder);
    uint8_t length[4];
    writeLittleEndian32(length, lengthField);
    for (uint8_t byte : length) writeOutputByte(byte);
    Bytes container(outputBuffer, outputBuffer + outputPos);
    free(outputBuffer);
    outputBuffer = nullptr;
    return container;
}

std::string firstDifference(const Bytes& expected, const Bytes& actual)
{
    size_t common = std::min(expected.size(), actual.size());
    for (size_t i = 0; i < common; i++) {
        if (expected[i] != actual[i]) {
            std::ostringstream text;
            text << "first difference at offset " << i << ": expected " << int(expected[i]) << ", got "
                 << int(actual[i]);
            return text.str();
        }
    }
    if (expected.size() != actual.size())
        return "sizes differ: expected " + std::to_string(expected.size()) + ", got " + std::to_string(actual.size());
    return "equal";
}
