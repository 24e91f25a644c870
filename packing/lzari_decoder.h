// The decoder's primitives: a bit reader over the container and the
// decoding of one symbol or distance. Inline, so that the decoding loop
// keeps the reader and coder in registers; the tests use them too, to see
// the symbols a stream codes.
#pragma once

#include <cstring>

#include "lzari_model.h"

// The bits waiting to be read are kept in a machine word: 64 bits where
// the registers have them, 32 on the 32-bit target, where a 64-bit shift
// takes several instructions and registers are few.
#ifdef __i386__
using BitWindow = uint32_t;
#else
using BitWindow = uint64_t;
#endif
constexpr int windowBits = 8 * sizeof(BitWindow);
constexpr int windowTopUp = windowBits - 8;  // 56 or 24; either holds a 17-bit read

// A word of the stream, its first byte the most significant: one load and
// a byte swap, as the processors this runs on keep the first byte lowest.
static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__, "the swap turns little-endian loads around");
inline BitWindow loadBigEndian(const uint8_t* bytes)
{
    BitWindow word;
    memcpy(&word, bytes, sizeof word);
    if constexpr (sizeof(BitWindow) == 8) return BitWindow(__builtin_bswap64(uint64_t(word)));
    return BitWindow(__builtin_bswap32(uint32_t(word)));
}

// Reads the coded stream most significant bit first. Past the end of the
// container it reads 0 bits, so that a damaged stream never reads out of
// bounds; the byte count goes on past the end all the same, so that the
// caller can tell how far the stream was read.
struct BitReader {
    const uint8_t* input;
    uint32_t inputPos;    // next byte to fetch (may count past the limit)
    uint32_t inputLimit;  // bytes from here on read as 0
    BitWindow bits;       // the next bits, the first one highest
    int bitCount;         // how many of them there are
};

// Tops the window up to more than windowTopUp bits. While a word's bytes
// remain before the limit, it takes a big-endian word without a branch on
// the count: the whole bytes that fit are consumed, and the bits of the
// partial byte that also land in the window are the same bits the next
// top-up writes there.
inline void refillBits(BitReader& reader)
{
    if (reader.inputPos <= reader.inputLimit && reader.inputLimit - reader.inputPos >= sizeof(BitWindow)) {
        reader.bits |= loadBigEndian(reader.input + reader.inputPos) >> reader.bitCount;
        // The whole bytes that fit beside the bitCount bits held are
        // (windowBits - 1 - bitCount) / 8, leaving windowTopUp + bitCount % 8
        // bits: that is windowTopUp | bitCount, as windowTopUp is a multiple
        // of 8 whose bits cover every bit of bitCount above the lowest
        // three (bitCount < windowBits).
        reader.inputPos += uint32_t(windowBits - 1 - reader.bitCount) >> 3;
        reader.bitCount |= windowTopUp;
        return;
    }
    while (reader.bitCount <= windowTopUp) {
        BitWindow byte = reader.inputPos < reader.inputLimit ? reader.input[reader.inputPos] : 0;
        if (reader.inputPos != UINT32_MAX) reader.inputPos++;
        reader.bits |= byte << (windowTopUp - reader.bitCount);
        reader.bitCount += 8;
    }
}

// The next n bits (0 <= n <= 17) as a number.
inline uint32_t readBits(BitReader& reader, int n)
{
    refillBits(reader);
    // Two shifts, as one by windowBits (n = 0) would be undefined; each of
    // these is below the word's width.
    uint32_t bits = uint32_t(reader.bits >> 1 >> (windowBits - 1 - n));
    reader.bits <<= n;
    reader.bitCount -= n;
    return bits;
}

// The byte position the format's byte-at-a-time reader would have reached:
// it fetches a byte whenever it needs a bit and has none left.
inline uint32_t bytesConsumed(const BitReader& reader)
{
    uint64_t bitsRead = uint64_t(reader.inputPos) * 8 - uint64_t(reader.bitCount);
    return uint32_t((bitsRead + 7) / 8);
}

// Starts reading the stream at `start`: the first 17 bits fill the code.
inline void startDecoding(RangeCoder& coder, BitReader& reader, const uint8_t* input, uint32_t start,
                          uint32_t limit)
{
    reader = BitReader{input, start, limit, 0, 0};
    coder = RangeCoder{0, rangeFull, 0, 0, 0, 0};
    coder.codeOffset = readBits(reader, 17);
}

// The target's place in the current interval, scaled to `total`.
inline uint32_t decodeTarget(const RangeCoder& coder, uint32_t range, uint32_t total)
{
    return ((coder.codeOffset + 1) * total - 1) / range;
}

// x / total, truncated, for any 32-bit x, by a multiplication with
// reciprocal = (2^32 - 1) / total. reciprocal * total > 2^32 - total, so
// the product's top half falls short of x / total by less than
// x / 2^32 < 1: it is the quotient or one less, and the remainder tells.
inline uint32_t divideByTotal(uint32_t x, uint32_t total, uint32_t reciprocal)
{
    uint32_t quotient = uint32_t((uint64_t(x) * reciprocal) >> 32);
    return quotient + (x - quotient * total >= total ? 1 : 0);
}

// Narrows to the decoded part and widens again, shifting in as many bits.
// The symbol model's total changes with every symbol, so its narrowing
// divides by multiplying with the total's reciprocal, which is computed
// before the symbol is decoded (reciprocal 0: divide as the format says;
// the distance model's total is a constant, which the compiler's own
// multiplication already divides by).
inline void consumeInterval(RangeCoder& coder, BitReader& reader, uint32_t range, uint32_t total, uint32_t upperCum,
                            uint32_t lowerCum, uint32_t reciprocal = 0)
{
    uint32_t oldLow = coder.rangeLow;
    if (reciprocal) {
        coder.rangeHigh = oldLow + divideByTotal(range * upperCum, total, reciprocal);
        coder.rangeLow = oldLow + divideByTotal(range * lowerCum, total, reciprocal);
    } else {
        narrowInterval(coder, range, total, upperCum, lowerCum);
    }
    coder.codeOffset -= coder.rangeLow - oldLow;
    Widening widening = widenInterval(coder);
    int shifts = widening.settled + widening.straddled;
    coder.codeOffset = (coder.codeOffset << shifts) | readBits(reader, shifts);
}

// Decodes one code: a literal byte (0..255) or a match length (code - lengthToCode).
template <bool vectors = modelHasVectors>
inline int decodeSymbol(RangeCoder& coder, BitReader& reader)
{
    uint32_t total = symbolTotal();
    // Known before the symbol: computed while the division by the range,
    // which waits for the last symbol's interval, is under way.
    uint32_t reciprocal = 0xFFFFFFFFu / total;
    uint32_t range = coder.rangeHigh - coder.rangeLow;
    int s = findSymbol<vectors>(decodeTarget(coder, range, total));
    consumeInterval(coder, reader, range, total, symbolCumFreq(s - 1), symbolCumFreq(s), reciprocal);
    int code = charOfSymbol[s];
    adaptModel<vectors>(s);
    return code;
}

// Decodes one distance code (0..4095): the match lies d + 1 bytes back.
inline int decodeDistance(RangeCoder& coder, BitReader& reader)
{
    uint32_t range = coder.rangeHigh - coder.rangeLow;
    int d = distanceOfTarget[decodeTarget(coder, range, distanceTotal)];
    consumeInterval(coder, reader, range, distanceTotal, distanceCumFreq[d], distanceCumFreq[d + 1]);
    return d;
}
