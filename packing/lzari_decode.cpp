// The LZARI decoder: container in, the file's bytes out.
#include <cstdlib>
#include <cstring>

#if defined(__i386__) || defined(__x86_64__)
#include <cpuid.h>
#endif

#include "ascii_case.h"
#include "lzari.h"
#include "lzari_decoder.h"

// Where the last decode's stream ends: the start of its length field. A
// well-formed stream's reading ends one or two bytes into that field, since
// the 17-bit code window runs ahead of the last bit the coder settled.
static uint32_t lengthFieldPos;
static uint32_t lastInputPos;

std::atomic<uint32_t> lzariDecodedBytes{0};

// How much output the decoder writes between two progress reports: often
// enough for a bar to move smoothly, rarely enough to cost nothing.
constexpr uint32_t progressInterval = 64 * 1024;

// Sets the version and time stamp as the magic says, and trims the time
// stamp off a version-1 container. Returns the size without the trailer,
// or 0 when the container cannot hold its fields.
static uint32_t classifyContainer(const uint8_t* container, uint32_t containerSize)
{
    if (containerSize < 4) return 0;
    if (memcmp(container, magicVersion0, 4) == 0) {
        payloadFormatVersion = 0;
    } else if (memcmp(container, magicVersion1, 4) == 0) {
        payloadFormatVersion = 1;
        if (containerSize < version1Overhead) {
            // No room for a trailer: a stamp from these bytes would be
            // meaningless, and a stale one must not pass for this file's.
            payloadFileTime = FILETIME{0, 0};
            return 0;
        }
        containerSize -= 8;
        payloadFileTime = readFileTime(container + containerSize);
    }
    return containerSize < version0Overhead ? 0 : containerSize;
}

// The stream repeats the magic, and any mix of letter case passes.
static bool streamMagicMatches(const uint8_t* container)
{
    for (int i = 0; i < 4; i++) {
        uint8_t byte = container[i];
        if (asciiUpper(byte) != asciiUpper(magicVersion0[i])) return false;
    }
    return true;
}

// Copies a match of `length` bytes from `distance` bytes back (1..4096).
// The output is the history: everything since the first byte is in it, and
// before the first byte the history holds spaces.
static void copyMatch(uint8_t* output, uint32_t position, uint32_t distance, uint32_t length, uint32_t end)
{
    uint8_t* to = output + position;
    if (distance > position) {
        for (uint32_t k = 0; k < length; k++)
            to[k] = position + k >= distance ? output[position + k - distance] : fillByte;
        return;
    }
    const uint8_t* from = to - distance;
    if (distance >= 8 && end - position >= length + 16) {
        // Words of 16 or 8 bytes; with the source a word or more back, each
        // word reads only bytes already written. The first 16 bytes go
        // unconditionally (most matches are short), and the last word may
        // write up to 15 bytes past the match, which later bytes overwrite.
        if (distance >= 16) {
            memcpy(to, from, 16);
            for (uint32_t k = 16; k < length; k += 16) memcpy(to + k, from + k, 16);
            return;
        }
        memcpy(to, from, 8);
        memcpy(to + 8, from + 8, 8);
        for (uint32_t k = 16; k < length; k += 8) memcpy(to + k, from + k, 8);
        return;
    }
    for (uint32_t k = 0; k < length; k++) to[k] = from[k];
}

template <bool vectors>
static inline void decodeText(RangeCoder& coderState, BitReader& readerState)
{
    // Copies in this call's own frame, whose addresses nothing else holds:
    // the byte stores through `output` may alias anything the caller's
    // registers live in, which would keep them in memory, each symbol
    // waiting on their stores and loads; these the compiler can keep in
    // registers.
    RangeCoder coder = coderState;
    BitReader reader = readerState;
    uint8_t* output = outputBuffer;
    uint32_t position = 0;
    const uint32_t end = textLength;
    // A well-formed stream is read at most two bytes into the length field
    // (the last four bytes before the limit), and the reader fetches at most
    // a window's bytes ahead. Reading further, the stream has run out: what
    // would follow is zero bits of no meaning, so decoding stops there and
    // the rest of the block stays zeros. A length that no stream fills then
    // costs no more than the stream itself.
    const uint64_t runOut = uint64_t(reader.inputLimit) - 2 + sizeof(BitWindow);
    LateCount late = {0, symbolTotal()};
    while (position < end && reader.inputPos <= runOut) {
        const uint32_t stretchEnd = end - position > progressInterval ? position + progressInterval : end;
        while (position < stretchEnd && reader.inputPos <= runOut) {
            int code = decodeSymbol<vectors>(coder, reader, late);
            if (code < firstMatchCode) {
                output[position++] = uint8_t(code);
                continue;
            }
            uint32_t distance = uint32_t(decodeDistance(coder, reader)) + 1;
            uint32_t length = uint32_t(code - lengthToCode);
            // A well-formed stream's last match ends exactly at the length; a
            // damaged one is cut there.
            if (length > end - position) length = end - position;
            copyMatch(output, position, distance, length, end);
            position += length;
        }
        lzariDecodedBytes.store(position, std::memory_order_relaxed);
    }
    outputPos = position;
    coderState = coder;
    readerState = reader;
}

// The loop for processors without SSE2, and with it: everything it calls
// compiled into it, so that the vector paths meet no call.
static void decodeTextPlain(RangeCoder& coder, BitReader& reader) { decodeText<false>(coder, reader); }
#ifdef LZARI_VECTORS
LZARI_SSE2 __attribute__((flatten)) static void decodeTextWithVectors(RangeCoder& coder, BitReader& reader)
{
    decodeText<true>(coder, reader);
}
__attribute__((target("avx2,bmi,bmi2,lzcnt"), flatten)) static void decodeTextWithAvx2(RangeCoder& coder,
                                                                                        BitReader& reader)
{
    decodeText<true>(coder, reader);
}
#endif

#ifdef LZARI_VECTORS
// LZCNT is a bit of CPUID's extended leaf 0x80000001 (ECX bit 5); not
// every compiler's __builtin_cpu_supports knows its name.
static bool processorHasLzcnt()
{
    unsigned eax, ebx, ecx, edx;
    return __get_cpuid(0x80000001, &eax, &ebx, &ecx, &edx) && (ecx & (1u << 5));
}
#endif

LzariDecodePath lzariBestDecodePath()
{
#ifdef LZARI_VECTORS
    __builtin_cpu_init();
    if (__builtin_cpu_supports("avx2") && __builtin_cpu_supports("bmi2") && processorHasLzcnt()) return lzariAvx2Path;
    if (__builtin_cpu_supports("sse2")) return lzariSse2Path;
#endif
    return lzariPlainPath;
}

LzariDecodePath lzariDecodePath = lzariBestDecodePath();

BufferResult lzariDecode(const uint8_t* container, uint32_t containerSize)
{
    BufferResult result = {nullptr, 0};
    lengthFieldPos = 0;
    lzariDecodedBytes.store(0, std::memory_order_relaxed);
    containerSize = classifyContainer(container, containerSize);
    if (containerSize == 0) return result;

    textLength = readLittleEndian32(container + containerSize - 4);
    if (textLength == 0) return result;
    if (!streamMagicMatches(container)) return result;
    // Zeroed pages, which cost memory only once written.
    outputBuffer = static_cast<uint8_t*>(calloc(textLength, 1));
    if (!outputBuffer) return result;
    outputCapacity = textLength;

    RangeCoder coder;
    BitReader reader;
    startDecoding(coder, reader, container, 4, containerSize);
    resetModel();
#ifdef LZARI_VECTORS
    if (lzariDecodePath == lzariAvx2Path) decodeTextWithAvx2(coder, reader);
    else if (lzariDecodePath == lzariSse2Path) decodeTextWithVectors(coder, reader);
    else
#endif
        decodeTextPlain(coder, reader);

    lastInputPos = bytesConsumed(reader);
    lengthFieldPos = containerSize - 4;
    result.data = outputBuffer;
    result.size = textLength;
    outputBuffer = nullptr;
    return result;
}

bool lzariDecodeConsumedExactly()
{
    return lengthFieldPos != 0 && (lastInputPos == lengthFieldPos + 1 || lastInputPos == lengthFieldPos + 2);
}

uint32_t lzariDecodeEndOfReading() { return lastInputPos; }
