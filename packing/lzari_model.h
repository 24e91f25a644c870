// The two models both directions share: the adaptive symbol model (literal
// bytes and match lengths) and the fixed distance model.
//
// The symbol model keeps its symbols sorted by frequency, highest first;
// symbol index 0 is a sentinel of frequency 0. symbolCumFreq(i), the sum of
// the frequencies above index i, is kept in two parts so that counting one
// more occurrence changes a fixed, small number of entries: the indices form
// blocks of eight (block b holds 8b .. 8b + 7), and
//     symbolCumFreq(i) = blockCumFreq[block of i] + cumFreqInBlock[i],
// the sum over the later blocks plus the sum over the later indices of the
// same block. Searches count blocks first, then indices within one block.
#pragma once

#include "lzari_coder.h"

// The vector paths use SSE2. A build for processors that all have it (the
// 64-bit host) takes them always; the 32-bit build compiles them too, in
// functions of their own for SSE2, which the decoder takes when the
// processor it runs on has it.
#if defined(__SSE2__) || defined(__i386__)
#include <emmintrin.h>
#define LZARI_VECTORS 1
#define LZARI_SSE2 __attribute__((target("sse2")))
#endif

constexpr int modelBlocks = 40;                  // 320 indices: 0..314 and padding
constexpr int modelEntries = 8 * modelBlocks;

// One coding run's symbol model, owned by the run (a decode or an encode),
// so that runs on several threads never meet.
struct SymbolModel {
    int16_t symbolOfChar[codeCount];                  // code -> symbol index
    int16_t charOfSymbol[codeCount + 1];              // symbol index -> code
    alignas(16) uint16_t symbolFreq[modelEntries];    // 0 at index 0 and past 314
    alignas(16) uint16_t blockLastFreq[modelBlocks];  // symbolFreq[8b + 7], the block's lowest
    alignas(16) uint16_t blockCumFreq[modelBlocks];   // frequencies of all later blocks
    alignas(16) uint16_t cumFreqInBlock[modelEntries];  // frequencies of the later indices in the block
};

inline uint32_t symbolCumFreq(const SymbolModel& m, int index)
{
    return uint32_t(m.blockCumFreq[index >> 3]) + m.cumFreqInBlock[index];
}
inline uint32_t symbolTotal(const SymbolModel& m) { return m.blockCumFreq[0] + m.cumFreqInBlock[0]; }

// symbolCumFreq(index) with one occurrence of the index `late` still to be
// counted (the decoder counts each symbol one symbol late): one more below
// it. Like symbolCumFreq, it never rises from one index to the next.
inline uint32_t symbolCumFreqWithLate(const SymbolModel& m, int index, int late)
{
    return symbolCumFreq(m, index) + (index < late ? 1 : 0);
}

// i at index i: a block's indices as one vector.
struct EntryIndices {
    alignas(16) int16_t index[modelEntries];
};
constexpr EntryIndices makeEntryIndices()
{
    EntryIndices indices = {};
    for (int i = 0; i < modelEntries; i++) indices.index[i] = int16_t(i);
    return indices;
}
inline constexpr EntryIndices entryIndex = makeEntryIndices();

// The distance model, the same for every run: code d owns
// [distanceCumFreq[d + 1], distanceCumFreq[d]) of 28568, and the decoder
// finds the code owning a target in distanceOfTarget. Built when the
// program starts, before any of its code runs (57 KB that a constant table
// would add to the program's file), and never changed: threads share it.
extern uint16_t distanceCumFreq[distanceCount + 1];
extern uint16_t distanceOfTarget[distanceTotal];

void resetModel(SymbolModel& m);
void halveModel(SymbolModel& m);

#ifdef __SSE2__
constexpr bool modelHasVectors = true;
#else
constexpr bool modelHasVectors = false;  // unless a caller asks for them
#endif

// ---- the two searches -------------------------------------------------
// Both count a run of leading "above" answers over a falling sequence:
// first whole blocks (by each block's last value), then the entries of the
// next block. Frequencies fit in 15 bits, so signed 16-bit compares do.

#ifdef LZARI_VECTORS
// The number of leading entries of the 40 `values` (16-byte aligned) that
// are above `bound`, when those form a prefix. The compares of two vectors
// are packed into one, so that one mask move takes sixteen entries.
LZARI_SSE2 inline int leadingAbove(const uint16_t* values, __m128i bound)
{
    static_assert(modelBlocks == 40, "five vectors: two pairs and one more");
    const __m128i* v = reinterpret_cast<const __m128i*>(values);
    uint32_t low = uint32_t(_mm_movemask_epi8(_mm_packs_epi16(_mm_cmpgt_epi16(_mm_load_si128(v), bound),
                                                              _mm_cmpgt_epi16(_mm_load_si128(v + 1), bound)))) |
                   uint32_t(_mm_movemask_epi8(_mm_packs_epi16(_mm_cmpgt_epi16(_mm_load_si128(v + 2), bound),
                                                              _mm_cmpgt_epi16(_mm_load_si128(v + 3), bound))))
                       << 16;
    uint32_t high = uint32_t(
        _mm_movemask_epi8(_mm_packs_epi16(_mm_cmpgt_epi16(_mm_load_si128(v + 4), bound), _mm_setzero_si128())));
#ifdef LZARI_WORD32
    // Without a 64-bit count instruction: the low half, then the high.
    return ~low ? __builtin_ctz(~low) : 32 + __builtin_ctz(~high);
#else
    return __builtin_ctzll(~(uint64_t(high) << 32 | low));
#endif
}

LZARI_SSE2 inline int leadingAboveInBlock(__m128i entries, __m128i bound, unsigned forcedFirst)
{
    unsigned above = unsigned(_mm_movemask_epi8(_mm_packs_epi16(_mm_cmpgt_epi16(entries, bound), _mm_setzero_si128())));
    return __builtin_ctz(~(above | forcedFirst));
}

// The block holding the symbol starts at the largest block count not above
// x (the counts fall from block to block). Taken from the compares already
// made, with maxima across the vectors and then across the lanes, it is in
// every lane without the round trip through a general register that a
// load of blockCumFreq[block] would cost, and while the block's number is
// still being counted.
LZARI_SSE2 inline __m128i largestNotAbove(const uint16_t* values, __m128i bound)
{
    const __m128i* v = reinterpret_cast<const __m128i*>(values);
    __m128i notAbove[5];
    for (int k = 0; k < 5; k++) {
        __m128i value = _mm_load_si128(v + k);
        notAbove[k] = _mm_andnot_si128(_mm_cmpgt_epi16(value, bound), value);  // the others as 0
    }
    __m128i most = _mm_max_epi16(_mm_max_epi16(_mm_max_epi16(notAbove[0], notAbove[1]),
                                               _mm_max_epi16(notAbove[2], notAbove[3])),
                                 notAbove[4]);
    most = _mm_max_epi16(most, _mm_shuffle_epi32(most, 0x4E));  // halves swapped
    most = _mm_max_epi16(most, _mm_shuffle_epi32(most, 0xB1));  // pairs of lanes swapped
    return _mm_max_epi16(most, _mm_shufflelo_epi16(_mm_shufflehi_epi16(most, 0xB1), 0xB1));  // neighbours
}

LZARI_SSE2 inline int findSymbolWithVectors(const SymbolModel& m, uint32_t x, int late)
{
    const __m128i bound = _mm_set1_epi16(int16_t(x));
    int block = leadingAbove(m.blockCumFreq, bound);
    // The block is the one the tables give; where the late count lifts its
    // last entry from x to x + 1, all eight entries are above x and the
    // count runs on to the next block's first index, which is right.
    __m128i lateBelow = _mm_cmpgt_epi16(_mm_set1_epi16(int16_t(late)),  // -1 below `late`
                                        _mm_load_si128(reinterpret_cast<const __m128i*>(entryIndex.index) + block));
    __m128i entries = _mm_sub_epi16(
        _mm_add_epi16(largestNotAbove(m.blockCumFreq, bound),
                      _mm_load_si128(reinterpret_cast<const __m128i*>(m.cumFreqInBlock) + block)),
        lateBelow);
    return 8 * block + leadingAboveInBlock(entries, bound, 0);
}

LZARI_SSE2 inline int runStartWithVectors(const SymbolModel& m, int symbol)
{
    const __m128i bound = _mm_set1_epi16(int16_t(m.symbolFreq[symbol]));
    int block = leadingAbove(m.blockLastFreq, bound);
    __m128i entries = _mm_load_si128(reinterpret_cast<const __m128i*>(m.symbolFreq) + block);
    // The sentinel at index 0 has frequency 0; count it as "above", so
    // that the count is the run's first index.
    return 8 * block + leadingAboveInBlock(entries, bound, block == 0 ? 1 : 0);
}

LZARI_SSE2 inline void countBelowWithVectors(SymbolModel& m, int index)
{
    int block = index >> 3;
    const __m128i lane = _mm_setr_epi16(0, 1, 2, 3, 4, 5, 6, 7);
    __m128i* inBlock = reinterpret_cast<__m128i*>(m.cumFreqInBlock) + block;
    __m128i below = _mm_cmpgt_epi16(_mm_set1_epi16(int16_t(index & 7)), lane);  // -1 in lanes below
    _mm_store_si128(inBlock, _mm_sub_epi16(_mm_load_si128(inBlock), below));
    __m128i* blocks = reinterpret_cast<__m128i*>(m.blockCumFreq);
    for (int k = 0; k < modelBlocks / 8; k++) {
        __m128i earlier = _mm_cmpgt_epi16(_mm_set1_epi16(int16_t(block - 8 * k)), lane);
        _mm_store_si128(blocks + k, _mm_sub_epi16(_mm_load_si128(blocks + k), earlier));
    }
}
#endif

// The symbol index whose interval holds the target x (x < the total), with
// the index `late` still to be counted: the smallest index whose
// cumulative frequency is not above x, which is the number of indices
// whose cumulative frequency is above x.
template <bool vectors = modelHasVectors>
inline int findSymbol(const SymbolModel& m, uint32_t x, int late)
{
#ifdef LZARI_VECTORS
    if constexpr (vectors) return findSymbolWithVectors(m, x, late);
#endif
    int s = 1;  // binary lifting: symbolCumFreqWithLate(s - 1) > x throughout
    for (int step = 256; step > 0; step >>= 1)
        if (s + step - 1 < modelEntries && symbolCumFreqWithLate(m, s + step - 1, late) > x) s += step;
    return s;
}

// The first index of the run of symbols that share symbol's frequency: one
// more than the number of indices from 1 on with a higher frequency.
template <bool vectors = modelHasVectors>
inline int runStart(const SymbolModel& m, int symbol)
{
#ifdef LZARI_VECTORS
    if constexpr (vectors) return runStartWithVectors(m, symbol);
#endif
    uint16_t frequency = m.symbolFreq[symbol];
    int i = symbol;
    while (m.symbolFreq[i - 1] == frequency) i--;
    return i;
}

// ---- the update ---------------------------------------------------------

// Adds one to every symbolCumFreq(j) with j < index: the earlier indices of
// its block and every earlier block.
template <bool vectors = modelHasVectors>
inline void countBelow(SymbolModel& m, int index)
{
#ifdef LZARI_VECTORS
    if constexpr (vectors) return countBelowWithVectors(m, index);
#endif
    int block = index >> 3;
    for (int j = 8 * block; j < index; j++) m.cumFreqInBlock[j]++;
    for (int b = 0; b < block; b++) m.blockCumFreq[b]++;
}

// Counts one more occurrence of `symbol`: halves every frequency first when
// the total has reached its limit, then swaps the symbol's code with the
// code at the head of its frequency run, so that the order stays sorted, and
// counts the occurrence there. Everything but the cumulative counts: returns
// the index whose countBelow is still to come.
template <bool vectors = modelHasVectors>
inline int countAtRunHead(SymbolModel& m, int symbol)
{
    if (symbolTotal(m) >= totalLimit) halveModel(m);
    // Most symbols already head their run (the one before counts more:
    // 7 in 10 on executables, 9 in 10 on text); the search would find the
    // symbol itself, so it is left out.
    int i = m.symbolFreq[symbol - 1] != m.symbolFreq[symbol] ? symbol : runStart<vectors>(m, symbol);
    // When i is the symbol itself this rewrites what is there, which costs
    // less than a test that is hard to predict.
    int16_t codeAtI = m.charOfSymbol[i];
    int16_t codeAtSymbol = m.charOfSymbol[symbol];
    m.charOfSymbol[i] = codeAtSymbol;
    m.charOfSymbol[symbol] = codeAtI;
    m.symbolOfChar[codeAtI] = int16_t(symbol);
    m.symbolOfChar[codeAtSymbol] = int16_t(i);
    m.symbolFreq[i]++;
    m.blockLastFreq[i >> 3] = m.symbolFreq[i | 7];
    return i;
}

template <bool vectors = modelHasVectors>
inline void adaptModel(SymbolModel& m, int symbol)
{
    countBelow<vectors>(m, countAtRunHead<vectors>(m, symbol));
}
