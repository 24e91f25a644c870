// The LZARI decoder: container in, the file's bytes out.
#include <cstdlib>
#include <cstring>

#if defined(__i386__) || defined(__x86_64__)
#include <cpuid.h>
#endif

#include "lzari.h"
#include "lzari_decode_steps.h"

// How much output the decoder writes between two progress reports: often
// enough for a bar to move smoothly, rarely enough to cost nothing.
constexpr uint32_t progressInterval = 64 * 1024;

// One decode's state: its model, its coder and reader (copied into the
// loop's frame while it runs), the block it writes and whom it tells.
struct DecodeRun {
    SymbolModel model;
    RangeCoder coder;
    BitReader reader;
    uint8_t* output;
    uint32_t length;
    LzariProgress* progress;
    bool stopped;
};

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
static inline void decodeText(DecodeRun& run)
{
    // Copies in this call's own frame, whose addresses nothing else holds:
    // the byte stores through `output` may alias anything the caller's
    // registers live in, which would keep them in memory, each symbol
    // waiting on their stores and loads; these the compiler can keep in
    // registers.
    RangeCoder coder = run.coder;
    BitReader reader = run.reader;
    SymbolModel& model = run.model;
    uint8_t* output = run.output;
    uint32_t position = 0;
    const uint32_t end = run.length;
    // A well-formed stream is read at most two bytes into the length field
    // (the last four bytes before the limit), and the reader fetches at most
    // a window's bytes ahead. Reading further, the stream has run out: what
    // would follow is zero bits of no meaning, so decoding stops there and
    // the rest of the block stays zeros. A length that no stream fills then
    // costs no more than the stream itself.
    const uint64_t runOut = uint64_t(reader.inputLimit) - 2 + sizeof(BitWindow);
    LateCount late = {0, symbolTotal(model)};
    while (position < end && reader.inputPos <= runOut) {
        const uint32_t stretchEnd = end - position > progressInterval ? position + progressInterval : end;
        while (position < stretchEnd && reader.inputPos <= runOut) {
            int code = decodeSymbol<vectors>(model, coder, reader, late);
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
        if (run.progress) {
            run.progress->decoded.store(position, std::memory_order_relaxed);
            if (run.progress->stop.load(std::memory_order_relaxed)) {
                run.stopped = true;
                break;
            }
        }
    }
    run.coder = coder;
    run.reader = reader;
}

// The loop for processors without SSE2, and with it: everything it calls
// compiled into it, so that the vector paths meet no call.
static void decodeTextPlain(DecodeRun& run) { decodeText<false>(run); }
#ifdef LZARI_VECTORS
LZARI_SSE2 __attribute__((flatten)) static void decodeTextWithVectors(DecodeRun& run) { decodeText<true>(run); }
__attribute__((target("avx2,bmi,bmi2,lzcnt"), flatten)) static void decodeTextWithAvx2(DecodeRun& run)
{
    decodeText<true>(run);
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

// The processor's best, asked when the program starts: CPUID costs a trip
// out of a virtual machine, too dear for every decode.
static LzariDecodePath processorsBestPath()
{
#ifdef LZARI_VECTORS
    __builtin_cpu_init();
    if (__builtin_cpu_supports("avx2") && __builtin_cpu_supports("bmi2") && processorHasLzcnt()) return lzariAvx2Path;
    if (__builtin_cpu_supports("sse2")) return lzariSse2Path;
#endif
    return lzariPlainPath;
}
static const LzariDecodePath bestPath = processorsBestPath();

LzariDecodePath lzariBestDecodePath() { return bestPath; }

LzariDecoded lzariDecode(const uint8_t* container, uint32_t containerSize, LzariProgress* progress,
                         LzariDecodePath path)
{
    LzariDecoded result = {{nullptr, 0}, containerVersion(container, containerSize), {0, 0}, 0, false, false, false};
    if (progress) progress->decoded.store(0, std::memory_order_relaxed);
    // The version-1 trailer is cut off; without room for it, the container
    // has no time stamp worth keeping.
    uint32_t size = containerSize;
    if (result.version == 1) {
        if (size < version1Overhead) return result;
        size -= 8;
        result.fileTime = readFileTime(container + size);
    }
    if (size < version0Overhead) return result;
    const uint32_t length = readLittleEndian32(container + size - 4);
    if (length == 0 || !streamMagicPasses(container)) return result;
    // Zeroed pages, which cost memory only once written.
    uint8_t* output = static_cast<uint8_t*>(calloc(length, 1));
    if (!output) {
        result.outOfMemory = true;
        return result;
    }

    DecodeRun run;
    run.output = output;
    run.length = length;
    run.progress = progress;
    run.stopped = false;
    startDecoding(run.coder, run.reader, container, 4, size);
    resetModel(run.model);
#ifdef LZARI_VECTORS
    if (path == lzariAvx2Path) decodeTextWithAvx2(run);
    else if (path == lzariSse2Path) decodeTextWithVectors(run);
    else
#endif
        decodeTextPlain(run);
    (void)path;

    // Where the stream ends: the start of its length field. A well-formed
    // stream's reading ends one or two bytes into that field, since the
    // 17-bit code window runs ahead of the last bit the coder settled.
    const uint32_t lengthField = size - 4;
    result.bytes = BufferResult{output, length};
    result.endOfReading = bytesConsumed(run.reader);
    result.consumedExactly =
        !run.stopped && (result.endOfReading == lengthField + 1 || result.endOfReading == lengthField + 2);
    result.stopped = run.stopped;
    return result;
}
