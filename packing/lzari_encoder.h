// The encoder's primitives: the bit writer and the coding of one symbol or
// distance. Inline, so that the coding loop keeps the coder in registers;
// the tests use them too, to write streams the encoder never would.
#pragma once

#include "lzari.h"
#include "lzari_model.h"

// Starts a coding run on the output area (outputBuffer, outputPos).
inline void startEncoding(RangeCoder& coder) { coder = RangeCoder{0, rangeFull, 0, 0, 0, 0, 0, 0, 0}; }

// Appends the low n bits of `bits` (n <= 32), most significant first, and
// passes every completed byte to the output.
inline void putBits(RangeCoder& coder, uint32_t bits, int n)
{
    coder.bitBuffer = (coder.bitBuffer << n) | bits;
    coder.bitCount += n;
    while (coder.bitCount >= 8) {
        coder.bitCount -= 8;
        writeOutputByte(uint8_t(coder.bitBuffer >> coder.bitCount));
    }
}

// Appends `count` copies of one bit.
inline void putRepeatedBit(RangeCoder& coder, uint32_t bit, uint32_t count)
{
    for (; count > 0;) {
        int n = count < 32 ? int(count) : 32;
        putBits(coder, bit ? uint32_t(0xFFFFFFFFu >> (32 - n)) : 0, n);
        count -= uint32_t(n);
    }
}

// Sends one bit followed by the opposite bits that earlier straddles owe.
inline void emitBit(RangeCoder& coder, uint32_t bit)
{
    putBits(coder, bit, 1);
    putRepeatedBit(coder, bit ^ 1, coder.pendingBits);
    coder.pendingBits = 0;
}

// Narrows to the coded part, widens again and sends the settled bits.
inline void produceInterval(RangeCoder& coder, uint32_t total, uint32_t upperCum, uint32_t lowerCum)
{
    narrowInterval(coder, coder.rangeHigh - coder.rangeLow, total, upperCum, lowerCum);
    Widening widening = widenInterval(coder);
    if (widening.settled > 0) {
        int rest = widening.settled - 1;
        if (coder.pendingBits == 0) {
            putBits(coder, widening.settledBits, widening.settled);
        } else {
            emitBit(coder, widening.settledBits >> rest);
            putBits(coder, widening.settledBits & ((1u << rest) - 1), rest);
        }
    }
    coder.pendingBits += uint32_t(widening.straddled);
}

// Codes a literal byte (0..255) or a match length (length + lengthToCode).
inline void encodeSymbol(RangeCoder& coder, int code)
{
    int s = symbolOfChar[code];
    produceInterval(coder, symbolTotal(), symbolCumFreq(s - 1), symbolCumFreq(s));
    adaptModel(s);
}

// Codes a distance code d (0..4095): the match lies d + 1 bytes back.
inline void encodeDistance(RangeCoder& coder, int distanceCode)
{
    produceInterval(coder, distanceTotal, distanceCumFreq[distanceCode], distanceCumFreq[distanceCode + 1]);
}

// Settles the last interval with one more bit (and what it owes), then fills
// the last byte with 0 bits.
inline void finishCoding(RangeCoder& coder)
{
    coder.pendingBits++;
    emitBit(coder, coder.rangeLow < rangeQuarter ? 0 : 1);
    if (coder.bitCount > 0) putBits(coder, 0, 8 - coder.bitCount);
}

// A version-0 container of the source's bytes: the magic, the stream that
// `codeText` codes between the coder's start and finish (skipped for an
// empty source), and the length. Both parses write through it.
BufferResult encodeContainer(const uint8_t* source, uint32_t sourceSize, void (*codeText)(RangeCoder&));
