// The encoder's steps: the coding run's state, the bit writer and the
// coding of one symbol or distance; and the container both parses write.
// Inline, so that the coding loop keeps the coder in registers.
#pragma once

#include "lzari.h"
#include "lzari_model.h"

// One encoding run's state besides its coder: its model and the container
// it writes. The output grows on demand; `failed` says it could not.
struct EncodeRun {
    SymbolModel model;
    uint8_t* output;
    uint32_t outputSize;
    uint32_t outputCapacity;
    bool failed;
};

bool growOutput(EncodeRun& run);

// Appends one byte to the output, growing it when full.
inline void writeOutputByte(EncodeRun& run, uint8_t byte)
{
    if (run.outputSize == run.outputCapacity && !growOutput(run)) return;
    run.output[run.outputSize++] = byte;
}

inline void startEncoding(RangeCoder& coder) { coder = RangeCoder{0, rangeFull, 0, 0, 0, 0, 0, 0, 0}; }

// Appends the low n bits of `bits` (n <= 32), most significant first, and
// passes every completed byte to the output.
inline void putBits(EncodeRun& run, RangeCoder& coder, uint32_t bits, int n)
{
    coder.bitBuffer = (coder.bitBuffer << n) | bits;
    coder.bitCount += n;
    while (coder.bitCount >= 8) {
        coder.bitCount -= 8;
        writeOutputByte(run, uint8_t(coder.bitBuffer >> coder.bitCount));
    }
}

// Appends `count` copies of one bit.
inline void putRepeatedBit(EncodeRun& run, RangeCoder& coder, uint32_t bit, uint32_t count)
{
    for (; count > 0;) {
        int n = count < 32 ? int(count) : 32;
        putBits(run, coder, bit ? uint32_t(0xFFFFFFFFu >> (32 - n)) : 0, n);
        count -= uint32_t(n);
    }
}

// Sends one bit followed by the opposite bits that earlier straddles owe.
inline void emitBit(EncodeRun& run, RangeCoder& coder, uint32_t bit)
{
    putBits(run, coder, bit, 1);
    putRepeatedBit(run, coder, bit ^ 1, coder.pendingBits);
    coder.pendingBits = 0;
}

// Narrows to the coded part, widens again and sends the settled bits.
inline void produceInterval(EncodeRun& run, RangeCoder& coder, uint32_t total, uint32_t upperCum, uint32_t lowerCum)
{
    narrowInterval(coder, coder.rangeHigh - coder.rangeLow, total, upperCum, lowerCum);
    Widening widening = widenInterval(coder);
    if (widening.settled > 0) {
        int rest = widening.settled - 1;
        if (coder.pendingBits == 0) {
            putBits(run, coder, widening.settledBits, widening.settled);
        } else {
            emitBit(run, coder, widening.settledBits >> rest);
            putBits(run, coder, widening.settledBits & ((1u << rest) - 1), rest);
        }
    }
    coder.pendingBits += uint32_t(widening.straddled);
}

// Codes a literal byte (0..255) or a match length (length + lengthToCode).
inline void encodeSymbol(EncodeRun& run, RangeCoder& coder, int code)
{
    SymbolModel& m = run.model;
    int s = m.symbolOfChar[code];
    produceInterval(run, coder, symbolTotal(m), symbolCumFreq(m, s - 1), symbolCumFreq(m, s));
    adaptModel(m, s);
}

// Codes a distance code d (0..4095): the match lies d + 1 bytes back.
inline void encodeDistance(EncodeRun& run, RangeCoder& coder, int distanceCode)
{
    produceInterval(run, coder, distanceTotal, distanceCumFreq[distanceCode], distanceCumFreq[distanceCode + 1]);
}

// Settles the last interval with one more bit (and what it owes), then fills
// the last byte with 0 bits.
inline void finishCoding(EncodeRun& run, RangeCoder& coder)
{
    coder.pendingBits++;
    emitBit(run, coder, coder.rangeLow < rangeQuarter ? 0 : 1);
    if (coder.bitCount > 0) putBits(run, coder, 0, 8 - coder.bitCount);
}

// A run's output begun for a container of a source of `sourceSize` bytes,
// its magic written; false when no block could be had.
bool beginContainer(EncodeRun& run, uint32_t sourceSize);
// The container's length field written after the stream: the container,
// or the null result when the output failed.
BufferResult endContainer(EncodeRun& run, uint32_t sourceSize);

// A version-0 container of a source of `sourceSize` bytes: the magic, the
// stream that `codeText(run, coder)` codes between the coder's start and
// finish (skipped for an empty source), and the length. Both parses write
// through it.
template <typename CodeText>
BufferResult encodeContainer(EncodeRun& run, uint32_t sourceSize, CodeText codeText)
{
    if (!beginContainer(run, sourceSize)) return BufferResult{nullptr, 0};
    // An empty input gets an empty stream: its length of 0 means no decoder
    // ever reads one.
    if (sourceSize > 0) {
        RangeCoder coder;
        startEncoding(coder);
        resetModel(run.model);
        codeText(run, coder);
        finishCoding(run, coder);
    }
    return endContainer(run, sourceSize);
}
