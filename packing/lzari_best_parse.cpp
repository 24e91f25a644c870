// The best parse: the literals and matches that code the text in the fewest
// bits as the model prices them, in the same format as the standard
// encoder's stream, read by the same decoder.
//
// The model adapts with every code, so no parse is priced exactly before it
// is coded. The text is taken in blocks: each block's prices come from the
// live model at its start, the cheapest path through the block and the
// next longestMatch positions is found (every position reached by a literal
// or by a match of any length that its pairs allow), and the path's steps
// that begin inside the block are coded, which moves the model on.
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>

#include "lzari.h"
#include "lzari_encode_steps.h"
#include "lzari_match_pairs.h"

namespace {

// Positions priced with one set of prices. Measured on executables and
// text, blocks from 512 to 16384 positions differ by less than 0.15 %;
// pricing more often, or pricing a block again from the counts its first
// parse would add, gains nothing measurable.
constexpr size_t blockLength = 8192;
constexpr size_t spanLength = blockLength + longestMatch;  // a block and the positions its path may end in
constexpr uint32_t unreached = UINT32_MAX;

// One parse's state (some megabytes: on the heap).
struct BestParse {
    uint8_t* text;  // leadingSpaces spaces, then the input
    size_t size;
    MatchPairFinder finder;
    // The pairs of the positions [storedFrom, storedFrom + storedCount):
    // those of position storedFrom + k end at pairsEnd[k] in storedPairs.
    MatchPair storedPairs[spanLength * mostPairs];
    uint32_t pairsEnd[spanLength];
    size_t storedFrom, storedCount;
    // The cheapest path found to each position of the span: its price, and
    // the step that ends there (its length, and its distance; 0 for a
    // literal).
    uint32_t pathPrice[spanLength + 1];
    uint16_t stepLength[spanLength + 1];
    uint16_t stepDistance[spanLength + 1];
    uint32_t pathEnds[spanLength];  // the chosen path's step ends, last first
    uint32_t literalPrice[256];
    uint32_t lengthPrice[longestMatch + 1];  // by match length, 3..60
    uint32_t distancePrice[distanceCount];   // by distance code
};

// Prices are in 1/2^priceBits of a bit: what coding a code costs, the
// binary logarithm of the total over the code's frequency, in integer
// arithmetic so that every machine chooses the same parse.
constexpr int priceBits = 10;

// log2(count) << priceBits, for counts of 1..65535.
uint32_t log2Price(uint32_t count)
{
    int whole = 31 - __builtin_clz(count);
    // count / 2^whole, in [1, 2), as a multiple of 2^-30. Squaring doubles
    // its logarithm: a square of 2 or more gives a 1 as the next bit of the
    // fraction, and is halved to stay below 2.
    uint64_t mantissa = uint64_t(count) << (30 - whole);
    uint32_t price = uint32_t(whole);
    for (int bit = 0; bit < priceBits; bit++) {
        mantissa = (mantissa * mantissa) >> 30;
        price <<= 1;
        if (mantissa >= uint64_t(2) << 30) {
            price |= 1;
            mantissa >>= 1;
        }
    }
    return price;
}

// log2Price of every count below rangeHalf: built on first use (C++ makes
// that safe where two threads meet it), never changed.
const uint32_t* priceOfCount()
{
    static const uint32_t* prices = [] {
        uint32_t* table = static_cast<uint32_t*>(malloc(rangeHalf * sizeof(uint32_t)));
        if (!table) abort();
        table[0] = 0;
        for (uint32_t count = 1; count < rangeHalf; count++) table[count] = log2Price(count);
        return table;
    }();
    return prices;
}

uint32_t codePrice(const SymbolModel& m, const uint32_t* ofCount, int code, uint32_t totalPrice)
{
    return totalPrice - ofCount[m.symbolFreq[m.symbolOfChar[code]]];
}

// The prices the live model gives now.
void priceCodes(BestParse& p, const SymbolModel& m)
{
    const uint32_t* ofCount = priceOfCount();
    uint32_t totalPrice = ofCount[symbolTotal(m)];
    for (int code = 0; code < 256; code++) p.literalPrice[code] = codePrice(m, ofCount, code, totalPrice);
    for (int length = matchThreshold + 1; length <= longestMatch; length++)
        p.lengthPrice[length] = codePrice(m, ofCount, length + lengthToCode, totalPrice);
}

const MatchPair* pairsOf(const BestParse& p, size_t position, int* count)
{
    size_t k = position - p.storedFrom;
    uint32_t begin = k == 0 ? 0 : p.pairsEnd[k - 1];
    *count = int(p.pairsEnd[k] - begin);
    return p.storedPairs + begin;
}

// Finds the pairs of every position up to `end`, after dropping those of
// the positions before `from`, which the parse has passed.
void storePairsUpTo(BestParse& p, size_t from, size_t end)
{
    size_t dropped = from - p.storedFrom;
    uint32_t droppedPairs = dropped == 0 ? 0 : p.pairsEnd[dropped - 1];
    uint32_t keptPairs = p.storedCount == 0 ? 0 : p.pairsEnd[p.storedCount - 1] - droppedPairs;
    memmove(p.storedPairs, p.storedPairs + droppedPairs, keptPairs * sizeof(MatchPair));
    p.storedCount -= dropped;
    for (size_t k = 0; k < p.storedCount; k++) p.pairsEnd[k] = p.pairsEnd[k + dropped] - droppedPairs;
    p.storedFrom = from;
    for (size_t position = p.storedFrom + p.storedCount; position < end; position++, p.storedCount++) {
        uint32_t begin = p.storedCount == 0 ? 0 : p.pairsEnd[p.storedCount - 1];
        p.pairsEnd[p.storedCount] = begin + uint32_t(findMatchPairs(p.finder, position, p.storedPairs + begin));
    }
}

void reach(BestParse& p, size_t to, uint32_t price, int length, int distance)
{
    if (price >= p.pathPrice[to]) return;
    p.pathPrice[to] = price;
    p.stepLength[to] = uint16_t(length);
    p.stepDistance[to] = uint16_t(distance);
}

// The cheapest path from `start` to `end` at the current prices. A pair
// stands for every length from one more than the pair before it up to its
// own: the nearest match that long, and so the cheapest distance.
void findCheapestPath(BestParse& p, size_t start, size_t end)
{
    size_t span = end - start;
    p.pathPrice[0] = 0;
    std::fill(p.pathPrice + 1, p.pathPrice + span + 1, unreached);
    for (size_t i = 0; i < span; i++) {
        uint32_t here = p.pathPrice[i];
        reach(p, i + 1, here + p.literalPrice[p.text[start + i]], 1, 0);
        int count;
        const MatchPair* pairs = pairsOf(p, start + i, &count);
        int shorter = matchThreshold;
        for (int k = 0; k < count; k++) {
            int longest = int(std::min<size_t>(pairs[k].length, span - i));
            uint32_t base = here + p.distancePrice[pairs[k].distance - 1];
            for (int length = shorter + 1; length <= longest; length++)
                reach(p, i + size_t(length), base + p.lengthPrice[length], length, pairs[k].distance);
            shorter = pairs[k].length;
        }
    }
}

// Codes the steps of the cheapest path to `end` that begin before `stop`,
// and returns the position where the last of them ends.
size_t codePath(BestParse& p, EncodeRun& run, RangeCoder& coder, size_t start, size_t stop, size_t end)
{
    int steps = 0;
    for (size_t at = end - start; at > 0; at -= p.stepLength[at]) p.pathEnds[steps++] = uint32_t(at);
    size_t coded = start;
    for (int k = steps - 1; k >= 0; k--) {
        size_t at = p.pathEnds[k], length = p.stepLength[at];
        if (start + at - length >= stop) break;
        if (length == 1) {
            encodeSymbol(run, coder, p.text[start + at - 1]);
        } else {
            encodeSymbol(run, coder, int(length) + lengthToCode);
            encodeDistance(run, coder, p.stepDistance[at] - 1);
        }
        coded = start + at;
    }
    return coded;
}

void codeBestParse(BestParse& p, EncodeRun& run, RangeCoder& coder)
{
    const uint32_t* ofCount = priceOfCount();
    for (int d = 0; d < distanceCount; d++)
        p.distancePrice[d] = ofCount[distanceTotal] - ofCount[distanceCumFreq[d] - distanceCumFreq[d + 1]];
    resetMatchPairs(p.finder, p.text, p.size);
    // The strings of the leading spaces: all but the last 60 are 60 spaces,
    // which each newer one replaced, so the trees start from those 60.
    MatchPair unused[mostPairs];
    for (size_t position = leadingSpaces - longestMatch; position < leadingSpaces; position++)
        findMatchPairs(p.finder, position, unused);
    p.storedFrom = leadingSpaces;
    p.storedCount = 0;
    for (size_t start = leadingSpaces; start < p.size;) {
        size_t stop = std::min(start + blockLength, p.size), end = std::min(stop + longestMatch, p.size);
        storePairsUpTo(p, start, end);
        priceCodes(p, run.model);
        findCheapestPath(p, start, end);
        start = codePath(p, run, coder, start, stop, end);
    }
}

}  // namespace

BufferResult lzariEncodeBest(const uint8_t* source, uint32_t sourceSize)
{
    BufferResult standard = lzariEncode(source, sourceSize);
    if (!standard.data || sourceSize == 0) return standard;
    struct State {
        BestParse parse;
        EncodeRun run;
    };
    std::unique_ptr<State> state(new (std::nothrow) State);
    std::unique_ptr<uint8_t, decltype(&free)> text(static_cast<uint8_t*>(malloc(leadingSpaces + size_t(sourceSize))), free);
    if (!state || !text) return standard;  // the standard stream is as good a container
    BestParse& p = state->parse;
    p.text = text.get();
    p.size = leadingSpaces + size_t(sourceSize);
    memset(p.text, fillByte, leadingSpaces);
    memcpy(p.text + leadingSpaces, source, sourceSize);

    BufferResult best = encodeContainer(state->run, sourceSize,
                                        [&p](EncodeRun& run, RangeCoder& coder) { codeBestParse(p, run, coder); });
    // Where the parse is priced from a model that has moved on, it can lose
    // a few bytes on short, repetitive text; the standard stream is kept
    // then, and on a tie.
    if (best.data && best.size < standard.size) {
        free(standard.data);
        return best;
    }
    free(best.data);
    return standard;
}
