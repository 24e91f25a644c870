// LZARI: LZSS over a 4096-byte history ring (matches of 3..60 bytes) whose
// codes are compressed by a 17-bit adaptive arithmetic coder. Literals and
// match lengths share one adaptive model of 314 symbols; match distances use
// a fixed model of 4096 codes.
//
// Both directions share one set of process-wide tables and registers, so
// neither is reentrant: one call at a time, on one thread.
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

// Decodes a container of either version into a new block of exactly the
// length its length field gives. Sets `payloadFormatVersion` and
// `payloadFileTime` from the magic before anything can fail, and leaves them
// alone for a container with neither magic.
//
// Returns the null result for: a length of 0 (an empty file); a container
// too short for its fields (under 8 bytes, under 16 for version 1); a stream
// magic that is not "LZar" in any letter case; no memory.
//
// A damaged stream is not detected and yields bytes of no meaning, but never
// makes the decoder read outside the container (past its end the stream
// reads as 0 bits) or write past the length: `size` is always the length.
// Once the stream has run out, decoding stops and the rest stays zeros.
// `lzariDecodeConsumedExactly` tells whether the last decode ended where a
// well-formed stream ends.
BufferResult lzariDecode(const uint8_t* container, uint32_t containerSize);

// The decoder's paths, each for processors with more than the one before:
// the plain one; SSE2's vectors; and the same compiled for AVX2, BMI2 and
// LZCNT (one-step counts of leading bits, and vectors broadcast in one
// step). `lzariDecodePath` starts as the best the processor has, asked at
// run time; a test may set a lower one to take it.
enum LzariDecodePath { lzariPlainPath, lzariSse2Path, lzariAvx2Path };
extern LzariDecodePath lzariDecodePath;
LzariDecodePath lzariBestDecodePath();

// The bytes the running decode has written so far, updated every 64 KiB:
// another thread may read it to show the decode's progress.
extern std::atomic<uint32_t> lzariDecodedBytes;

// True when the last successful decode read its coded stream exactly as a
// well-formed stream is read: to its end and one or two bytes into the
// length field, no further and no shorter. A truncated, extended or damaged stream
// almost always fails this; it is a plausibility check, not a checksum.
bool lzariDecodeConsumedExactly();

// The container offset where the last decode's reading of its stream ended,
// as a reader fetching one byte whenever it needs a bit would count it.
uint32_t lzariDecodeEndOfReading();

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
