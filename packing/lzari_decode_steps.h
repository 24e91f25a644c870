// The decoder's steps: a bit reader over the container, the division by a
// reciprocal, and the decoding of one symbol or distance. Inline, so that
// the decoding loop keeps the reader and coder in registers.
#pragma once

#include <cstring>

#include "lzari_model.h"

// The bits waiting to be read are kept in a machine word: 64 bits where
// the registers have them, 32 on the 32-bit target, where a 64-bit shift
// takes several instructions and registers are few.
#ifdef LZARI_WORD32
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

// The byte position a reader taking one byte at a time would have reached:
// it fetches a byte whenever it needs a bit and has none left.
inline uint32_t bytesConsumed(const BitReader& reader)
{
    uint64_t bitsRead = uint64_t(reader.inputPos) * 8 - uint64_t(reader.bitCount);
    return uint32_t((bitsRead + 7) / 8);
}

// ---- division by a reciprocal --------------------------------------------
// Two divisors change with every symbol: the symbol model's total, which
// narrows the interval, and the narrowed range, which scales the next
// target. Each one's reciprocal is computed as soon as the divisor is
// known, while other work goes on, so that the division on the decoder's
// critical path becomes a multiplication. Both divisors lie in 1 .. 2^17
// (no range is 0: a code's interval is at least one unit wide), the
// dividends below 2^32. Either way the quotient is exact.
#ifdef LZARI_WORD32
// 32 x 32 -> 64 bits and one correction: for reciprocal = (2^32 - 1) / d,
// truncated, 2^32 - d <= reciprocal * d < 2^32, so that x * reciprocal /
// 2^32 is at most x / d and more than x / d - x / 2^32 > x / d - 1: its top
// half is the quotient or one less, and the remainder x - top half * d
// (below 2d) tells which. For d = 1 the top half is x - 1 (0 for x = 0),
// and the remainder 1 adds the one back.
inline Reciprocal reciprocalOf(uint32_t divisor) { return 0xFFFFFFFFu / divisor; }
inline uint32_t divideByReciprocal(uint32_t x, uint32_t divisor, Reciprocal reciprocal)
{
    uint32_t quotient = uint32_t((uint64_t(x) * reciprocal) >> 32);
    return quotient + (x - quotient * divisor >= divisor ? 1 : 0);
}
#else
// 32 x 64 -> 128 bits, no correction: for reciprocal = 2^64 / d rounded up,
// reciprocal * d = 2^64 + e, 0 <= e < d, and x * reciprocal / 2^64 exceeds
// x / d by x * e / (d * 2^64), less than 1 / d as x * e < 2^32 * 2^17 <
// 2^64. x / d lies at least 1 / d below the next integer unless it is one,
// so the product's top half is the quotient itself. For d = 1 the
// reciprocal, 2^64, wraps to 0: a caller that may divide by 1 says so.
inline Reciprocal reciprocalOf(uint32_t divisor) { return UINT64_MAX / divisor + 1; }
inline uint32_t divideByReciprocal(uint32_t x, uint32_t, Reciprocal reciprocal)
{
    __extension__ using Product = unsigned __int128;
    return uint32_t((Product(x) * reciprocal) >> 64);
}
#endif

// Keeps what the next target's division needs of a narrowed range.
inline void noteNarrowedRange(RangeCoder& coder, uint32_t range)
{
    coder.narrowedRange = range;
    coder.narrowedReciprocal = reciprocalOf(range);
    coder.doublings = 0;
}

// numerator / the narrowed range, truncated.
inline uint32_t divideByNarrowedRange(uint32_t numerator, const RangeCoder& coder)
{
#ifdef LZARI_WORD32
    return divideByReciprocal(numerator, coder.narrowedRange, coder.narrowedReciprocal);
#else
    // A range of 1 has the reciprocal 2^64, kept as 0: its quotient is the
    // numerator itself.
    return coder.narrowedReciprocal ? divideByReciprocal(numerator, 0, coder.narrowedReciprocal) : numerator;
#endif
}

// Starts reading the stream at `start`: the first 17 bits fill the code.
inline void startDecoding(RangeCoder& coder, BitReader& reader, const uint8_t* input, uint32_t start,
                          uint32_t limit)
{
    reader = BitReader{input, start, limit, 0, 0};
    coder = RangeCoder{0, rangeFull, 0, 0, 0, 0, 0, 0, 0};
    noteNarrowedRange(coder, rangeFull);
    coder.codeOffset = readBits(reader, 17);
}

// The target's place in the current interval, scaled to `total`:
// ((codeOffset + 1) * total - 1) / range. Each doubling of the widening
// doubles the interval, so that the range is the narrowed one times
// 2^doublings, and the quotient is (numerator >> doublings) / narrowed
// range: nested floors of a division are one. The narrowed range's
// reciprocal was computed as soon as it was known, while the widening went
// on.
inline uint32_t decodeTarget(const RangeCoder& coder, uint32_t total)
{
    uint32_t numerator = ((coder.codeOffset + 1) * total - 1) >> coder.doublings;
    return divideByNarrowedRange(numerator, coder);
}

// The widening as the decoder needs it: only the number of doublings, as
// the decoder reads one bit for each, settled or straddled alike. That
// number comes from two counts of leading bits instead of three: with low
// and top in the top 17 bits of a word, `settled` is the count of their
// shared leading bits, the first bit after them is 0 in low and 1 in top,
// and the straddles are the run of bits just below it that are 1 in low and
// 0 in top, the ones of low & ~top. Those bits are 0 above the run's start,
// so the leading ones of (low & ~top) with the settled bits and the one
// after them set count settled + 1 + straddled. Below the 17 bits the word
// holds zeros, which stop the run where the bit-by-bit loop would stop.
inline int widenForDecoding(RangeCoder& coder)
{
    uint32_t low = coder.rangeLow;
    uint32_t top = coder.rangeHigh - 1;
    int settled = __builtin_clz(((low ^ top) << 15) | 0x4000);  // as in widenInterval
    // ~(low & ~top), its bits from the (settled + 1)th on; never 0, as bit
    // 13 and below are ones.
    uint32_t notStraddling = ~((low & ~top) << 15) & (0x7FFFFFFFu >> settled);
    int shifts = __builtin_clz(notStraddling) - 1;
    coder.rangeLow = (low << shifts) & 0xFFFF;
    coder.rangeHigh = (rangeHalf | ((top << shifts) & 0xFFFF) | ((1u << shifts) - 1)) + 1;
    return shifts;
}

// Narrows to the decoded part and widens again, shifting in as many bits.
// The symbol model's total changes with every symbol, so its narrowing
// divides by multiplying with the total's reciprocal, which is computed
// before the symbol is decoded (reciprocal 0: divide as narrowInterval
// does; the distance model's total is a constant, which the compiler's own
// multiplication already divides by).
inline void consumeInterval(RangeCoder& coder, BitReader& reader, uint32_t range, uint32_t total, uint32_t upperCum,
                            uint32_t lowerCum, Reciprocal reciprocal = 0)
{
    uint32_t oldLow = coder.rangeLow;
    if (reciprocal) {
        coder.rangeHigh = oldLow + divideByReciprocal(range * upperCum, total, reciprocal);
        coder.rangeLow = oldLow + divideByReciprocal(range * lowerCum, total, reciprocal);
    } else {
        narrowInterval(coder, range, total, upperCum, lowerCum);
    }
    coder.codeOffset -= coder.rangeLow - oldLow;
    noteNarrowedRange(coder, coder.rangeHigh - coder.rangeLow);
    int shifts = widenForDecoding(coder);
    coder.doublings = shifts;
    coder.codeOffset = (coder.codeOffset << shifts) | readBits(reader, shifts);
}

// The decoder counts each symbol's occurrence in the cumulative counts one
// symbol late: the countBelow of the last symbol's index is still to come
// when the next symbol is searched. The search then waits for nothing from
// the last symbol's model update but that index, which it needs only after
// the block is found, so that the update runs beside the next symbol's
// decoding instead of before it. The late count raises symbolCumFreq(j) by
// one for every j below its index (symbolCumFreqWithLate), and the total
// with it (every index is 1 or more).
struct LateCount {
    int index;  // 0: none, as countBelow(0) counts nothing
    // The total with the late count, kept rather than derived from the
    // index, so that the next target's division does not wait for it.
    uint32_t total;
};

// Decodes one code: a literal byte (0..255) or a match length (code - lengthToCode).
template <bool vectors = modelHasVectors>
inline int decodeSymbol(SymbolModel& m, RangeCoder& coder, BitReader& reader, LateCount& late)
{
    uint32_t total = late.total;
    // Known before the symbol: computed while the division by the range,
    // which waits for the last symbol's interval, is under way.
    Reciprocal reciprocal = reciprocalOf(total);
    uint32_t range = coder.rangeHigh - coder.rangeLow;
    int s = findSymbol<vectors>(m, decodeTarget(coder, total), late.index);
    consumeInterval(coder, reader, range, total, symbolCumFreqWithLate(m, s - 1, late.index),
                    symbolCumFreqWithLate(m, s, late.index), reciprocal);
    int code = m.charOfSymbol[s];
    countBelow<vectors>(m, late.index);
    late.index = countAtRunHead<vectors>(m, s);
    late.total = symbolTotal(m) + 1;
    return code;
}

// Decodes one distance code (0..4095): the match lies d + 1 bytes back.
inline int decodeDistance(RangeCoder& coder, BitReader& reader)
{
    uint32_t range = coder.rangeHigh - coder.rangeLow;
    int d = distanceOfTarget[decodeTarget(coder, distanceTotal)];
    consumeInterval(coder, reader, range, distanceTotal, distanceCumFreq[d], distanceCumFreq[d + 1]);
    return d;
}
