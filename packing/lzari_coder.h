// What the decoder and the encoder share besides the models: the format's
// constants, the word the arithmetic works in, and the arithmetic coder's
// registers with the narrowing and widening of its interval.
#pragma once

#include <cstddef>
#include <cstdint>

// ---- constants --------------------------------------------------------
constexpr int ringSize = 4096;  // history positions, taken mod 4096
constexpr int ringMask = ringSize - 1;
constexpr int longestMatch = 60;   // also the encoder's lookahead
constexpr int matchThreshold = 2;  // matches this short go as literals
constexpr int codeCount = 256 + longestMatch - matchThreshold;  // 314
// Codes 0..255 are literal bytes; code firstMatchCode + n - 3 is a match of
// n bytes, so that a match's code is its length plus lengthToCode.
constexpr int firstMatchCode = 256;
constexpr int lengthToCode = firstMatchCode - (matchThreshold + 1);  // 253
constexpr int startOfWriting = ringSize - longestMatch;         // 4036
constexpr uint8_t fillByte = 0x20;
constexpr unsigned totalLimit = 0x7FFF;  // halve the model when reached

// The coder registers are 17 bits wide.
constexpr uint32_t rangeFull = 0x20000;
constexpr uint32_t rangeHalf = 0x10000;
constexpr uint32_t rangeQuarter = 0x8000;
constexpr uint32_t registerMask = rangeFull - 1;

constexpr int distanceCount = ringSize;  // distance codes 0..4095
constexpr int distanceWeight = 10000;    // code d has weight 10000 / (d + 201)
constexpr uint32_t distanceTotal = 28568;

// The encoder's ring repeats its first 59 positions after the last, so that
// the 60 bytes of any string can be read without wrapping.
constexpr int encoderRingSize = ringSize + longestMatch - 1;  // 4155

static_assert(codeCount == 314, "256 literals and 58 match lengths");
static_assert(startOfWriting == 4036, "the first byte is written 60 before the end");

// ---- the word the arithmetic works in ---------------------------------
// The 32-bit program divides by a 32-bit reciprocal with a correction and
// reads its bits through a 32-bit window, where 64-bit shifts and products
// take several instructions and registers are few; with 64-bit registers
// both are 64 bits wide. The host builds the 32-bit way too, as a variant
// of its own (LZARI_FORCE_WORD32), so that every machine tests the code
// that only the shipped program runs.
#if defined(__i386__) || defined(LZARI_FORCE_WORD32)
#define LZARI_WORD32 1
using Reciprocal = uint32_t;
#elif defined(__SIZEOF_INT128__)  // the 64-bit way multiplies into 128 bits
using Reciprocal = uint64_t;
#else
#error "a 64-bit build needs 128-bit integers"
#endif

// ---- the arithmetic coder ---------------------------------------------
// The registers of one coding run. They live in the coding loop's own
// frame: the compiler can keep them in registers only if no byte store
// through the output pointer may alias them.
struct RangeCoder {
    uint32_t rangeLow;   // the interval [rangeLow, rangeHigh), 17 bits
    uint32_t rangeHigh;
    uint32_t codeOffset;   // decoder: code value - rangeLow, always < the range
    uint32_t pendingBits;  // encoder: opposite bits owed after the next bit
    // The encoder's bits waiting to be written (least significant last), and
    // how many there are; the decoder's are in its reader.
    uint64_t bitBuffer;
    int bitCount;
    // Decoder: the last narrowed range, its reciprocal (reciprocalOf), and
    // how often that range was doubled since.
    uint32_t narrowedRange;
    Reciprocal narrowedReciprocal;
    int doublings;
};

// Narrows [rangeLow, rangeHigh) to the part [lowerCum, upperCum) of `total`:
// unsigned 32-bit products, truncating division, both bounds from the old
// rangeLow. Every encoder and decoder of the format narrows so, to the bit.
inline void narrowInterval(RangeCoder& coder, uint32_t range, uint32_t total, uint32_t upperCum,
                           uint32_t lowerCum)
{
    uint32_t low = coder.rangeLow;
    coder.rangeHigh = low + range * upperCum / total;
    coder.rangeLow = low + range * lowerCum / total;
}

// How the interval was widened again after narrowing: first `settled`
// doublings of bits that rangeLow and rangeHigh - 1 share at the top (the
// encoder sends them: they are the top bits of the old rangeLow), then
// `straddled` doublings about the middle (rangeLow in the second quarter,
// rangeHigh in the third), whose bits the encoder owes until the next
// settled bit. That is the loop that doubles the interval one bit at a
// time while both ends lie in one half, or straddle the middle, done by
// counting leading bits; each doubling reads or writes one bit, at most 17
// in all.
struct Widening {
    int settled;
    int straddled;
    uint32_t settledBits;  // the settled bits, the first one highest
};

inline Widening widenInterval(RangeCoder& coder)
{
    Widening widening;
    uint32_t low = coder.rangeLow;
    uint32_t top = coder.rangeHigh - 1;
    // Leading bits shared by low and top, of 17: shifted to the top of the
    // word, their difference has as many leading zeros. Bit 14, just below
    // the 17, caps the count at 17 when they are equal (and keeps clz's
    // argument from being 0, for which it is undefined).
    int settled = __builtin_clz(((low ^ top) << 15) | 0x4000);
    widening.settled = settled;
    widening.settledBits = low >> (17 - settled);
    low = (low << settled) & registerMask;
    top = ((top << settled) | ((1u << settled) - 1)) & registerMask;
    // Now low < half <= top. Each straddle drops bit 15, where low has a 1
    // and top a 0, keeping bit 16; count them all at once: the leading ones
    // of low & ~top from bit 15 down. The 16 ones that the shift brings in
    // below them stop the count at 16 and keep clz's argument non-zero.
    int straddled = __builtin_clz(~((low & ~top & 0xFFFF) << 16));
    widening.straddled = straddled;
    coder.rangeLow = (low << straddled) & 0xFFFF;
    coder.rangeHigh = (rangeHalf | ((top << straddled) & 0xFFFF) | ((1u << straddled) - 1)) + 1;
    return widening;
}
