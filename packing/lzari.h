// LZARI: LZSS over a 4096-byte history ring (matches of 3..60 bytes) whose
// codes are compressed by a 17-bit adaptive arithmetic coder. Literals and
// match lengths share one adaptive model of 314 symbols; match distances use
// a fixed model of 4096 codes.
//
// Every call keeps its state (its model, its coder, its ring or output) to
// itself, passed from step to step: calls on several threads at once never
// meet. The constant tables are built once, when the program starts.
#pragma once

#include <atomic>
#include <cstdint>

#include "packed_payload.h"

// What the codec returns: a new heap block (malloc) owned by the caller and
// its size. A null `data` with `size` 0 means failure.
struct BufferResult {
    uint8_t* data;
    uint32_t size;
};

// The decoder's paths, each for processors with more than the one before:
// the plain one; SSE2's vectors; and the same compiled for AVX2, BMI2 and
// LZCNT (one-step counts of leading bits, and vectors broadcast in one
// step). The best the processor has is asked once, when the program starts.
enum LzariDecodePath { lzariPlainPath, lzariSse2Path, lzariAvx2Path };
LzariDecodePath lzariBestDecodePath();

// Where a decode counts what it has written, every 64 KiB, for another
// thread to show; and where another thread tells it that its bytes are no
// longer wanted: it stops at its next count, its bytes not whole.
struct LzariProgress {
    std::atomic<uint32_t> decoded{0};
    std::atomic<bool> stop{false};
};

// What one decode gives: the bytes, what the container declared, and how
// its stream was read.
struct LzariDecoded {
    BufferResult bytes;
    int32_t version;      // by the magic: 0 ("LZar"), 1 ("LzaR"), -1 (neither)
    FILETIME fileTime;    // version 1's trailer; zero otherwise
    // The container offset where the reading of the stream ended, as a
    // reader fetching one byte whenever it needs a bit would count it; 0
    // when nothing was decoded.
    uint32_t endOfReading;
    // Read exactly as a well-formed stream is read: to its end and one or
    // two bytes into the length field, no further and no shorter. A
    // truncated, extended or damaged stream almost always fails this; it is
    // a plausibility check, not a checksum.
    bool consumedExactly;
    bool outOfMemory;  // the block for the bytes could not be had
    bool stopped;      // told to stop: the bytes are not whole
};

// Decodes a container of either version into a new block of exactly the
// length its length field gives, on `path` (a lower one than the best, for
// tests), counting in `progress` (when given).
//
// No block (`bytes` null) for: a length of 0 (an empty file); a container
// too short for its fields (under 8 bytes, under 16 for version 1); a stream
// magic that is not "LZar" in any letter case; no memory.
//
// A damaged stream is not detected and yields bytes of no meaning, but never
// makes the decoder read outside the container (past its end the stream
// reads as 0 bits) or write past the length: `size` is always the length.
// Once the stream has run out, decoding stops and the rest stays zeros.
LzariDecoded lzariDecode(const uint8_t* container, uint32_t containerSize, LzariProgress* progress = nullptr,
                         LzariDecodePath path = lzariBestDecodePath());

// Encodes `sourceSize` bytes into a new version-0 container ("LZar", coded
// stream, length). The output depends on the input alone. An empty input
// gives the 8-byte container with an empty stream. Returns the null result
// when the output cannot be allocated or would not fit in 32 bits.
BufferResult lzariEncode(const uint8_t* source, uint32_t sourceSize);

// Encodes like lzariEncode, in the same format, with the literals and
// matches chosen for the smallest stream rather than the longest match at
// each position. The output depends on the input alone, and is never larger
// than lzariEncode's: where the chosen parse does not win, the result is
// lzariEncode's container.
BufferResult lzariEncodeBest(const uint8_t* source, uint32_t sourceSize);
