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

#include "lzari.h"
#include "lzari_best.h"
#include "lzari_encoder.h"

namespace {

// Positions priced with one set of prices. Measured on executables and
// text, blocks from 512 to 16384 positions differ by less than 0.15 %;
// pricing more often, or pricing a block again from the counts its first
// parse would add, gains nothing measurable.
constexpr size_t blockLength = 8192;
constexpr size_t spanLength = blockLength + longestMatch;  // a block and the positions its path may end in
constexpr uint32_t unreached = UINT32_MAX;

uint8_t* parseText;  // leadingSpaces spaces, then the input
size_t parseSize;

// The pairs of the positions [storedFrom, storedFrom + storedCount): those
// of position storedFrom + k end at pairsEnd[k] in storedPairs.
MatchPair storedPairs[spanLength * mostPairs];
uint32_t pairsEnd[spanLength];
size_t storedFrom, storedCount;

// The cheapest path found to each position of the span: its price, and the
// step that ends there (its length, and its distance; 0 for a literal).
uint32_t pathPrice[spanLength + 1];
uint16_t stepLength[spanLength + 1];
uint16_t stepDistance[spanLength + 1];
uint32_t pathEnds[spanLength];  // the chosen path's step ends, last first

uint32_t literalPrice[256];
uint32_t lengthPrice[longestMatch + 1];  // by match length, 3..60
uint32_t distancePrice[distanceCount];   // by distance code

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

uint32_t priceOfCount[rangeHalf];  // log2Price of each count, computed once

uint32_t codePrice(int code, uint32_t totalPrice)
{
    return totalPrice - priceOfCount[symbolFreq[symbolOfChar[code]]];
}

// The prices the live model gives now.
void priceCodes()
{
    uint32_t totalPrice = priceOfCount[symbolTotal()];
    for (int code = 0; code < 256; code++) literalPrice[code] = codePrice(code, totalPrice);
    for (int length = matchThreshold + 1; length <= longestMatch; length++)
        lengthPrice[length] = codePrice(length + lengthToCode, totalPrice);
}

const MatchPair* pairsOf(size_t position, int* count)
{
    size_t k = position - storedFrom;
    uint32_t begin = k == 0 ? 0 : pairsEnd[k - 1];
    *count = int(pairsEnd[k] - begin);
    return storedPairs + begin;
}

// Finds the pairs of every position up to `end`, after dropping those of
// the positions before `from`, which the parse has passed.
void storePairsUpTo(size_t from, size_t end)
{
    size_t dropped = from - storedFrom;
    uint32_t droppedPairs = dropped == 0 ? 0 : pairsEnd[dropped - 1];
    uint32_t keptPairs = storedCount == 0 ? 0 : pairsEnd[storedCount - 1] - droppedPairs;
    memmove(storedPairs, storedPairs + droppedPairs, keptPairs * sizeof(MatchPair));
    storedCount -= dropped;
    for (size_t k = 0; k < storedCount; k++) pairsEnd[k] = pairsEnd[k + dropped] - droppedPairs;
    storedFrom = from;
    for (size_t position = storedFrom + storedCount; position < end; position++, storedCount++) {
        uint32_t begin = storedCount == 0 ? 0 : pairsEnd[storedCount - 1];
        pairsEnd[storedCount] = begin + uint32_t(findMatchPairs(position, storedPairs + begin));
    }
}

void reach(size_t to, uint32_t price, int length, int distance)
{
    if (price >= pathPrice[to]) return;
    pathPrice[to] = price;
    stepLength[to] = uint16_t(length);
    stepDistance[to] = uint16_t(distance);
}

// The cheapest path from `start` to `end` at the current prices. A pair
// stands for every length from one more than the pair before it up to its
// own: the nearest match that long, and so the cheapest distance.
void findCheapestPath(size_t start, size_t end)
{
    size_t span = end - start;
    pathPrice[0] = 0;
    std::fill(pathPrice + 1, pathPrice + span + 1, unreached);
    for (size_t i = 0; i < span; i++) {
        uint32_t here = pathPrice[i];
        reach(i + 1, here + literalPrice[parseText[start + i]], 1, 0);
        int count;
        const MatchPair* pairs = pairsOf(start + i, &count);
        int shorter = matchThreshold;
        for (int k = 0; k < count; k++) {
            int longest = int(std::min<size_t>(pairs[k].length, span - i));
            uint32_t base = here + distancePrice[pairs[k].distance - 1];
            for (int length = shorter + 1; length <= longest; length++)
                reach(i + size_t(length), base + lengthPrice[length], length, pairs[k].distance);
            shorter = pairs[k].length;
        }
    }
}

// Codes the steps of the cheapest path to `end` that begin before `stop`,
// and returns the position where the last of them ends.
size_t codePath(RangeCoder& coder, size_t start, size_t stop, size_t end)
{
    int steps = 0;
    for (size_t at = end - start; at > 0; at -= stepLength[at]) pathEnds[steps++] = uint32_t(at);
    size_t coded = start;
    for (int k = steps - 1; k >= 0; k--) {
        size_t at = pathEnds[k], length = stepLength[at];
        if (start + at - length >= stop) break;
        if (length == 1) {
            encodeSymbol(coder, parseText[start + at - 1]);
        } else {
            encodeSymbol(coder, int(length) + lengthToCode);
            encodeDistance(coder, stepDistance[at] - 1);
        }
        coded = start + at;
    }
    return coded;
}

void codeBestParse(RangeCoder& coder)
{
    resetModel();
    for (int d = 0; d < distanceCount; d++)
        distancePrice[d] = priceOfCount[distanceTotal] - priceOfCount[distanceCumFreq[d] - distanceCumFreq[d + 1]];
    resetMatchPairs(parseText, parseSize);
    // The strings of the leading spaces: all but the last 60 are 60 spaces,
    // which each newer one replaced, so the trees start from those 60.
    MatchPair unused[mostPairs];
    for (size_t position = leadingSpaces - longestMatch; position < leadingSpaces; position++)
        findMatchPairs(position, unused);
    storedFrom = leadingSpaces;
    storedCount = 0;
    for (size_t start = leadingSpaces; start < parseSize;) {
        size_t stop = std::min(start + blockLength, parseSize), end = std::min(stop + longestMatch, parseSize);
        storePairsUpTo(start, end);
        priceCodes();
        findCheapestPath(start, end);
        start = codePath(coder, start, stop, end);
    }
}

}  // namespace

BufferResult lzariEncodeBest(const uint8_t* source, uint32_t sourceSize)
{
    BufferResult standard = lzariEncode(source, sourceSize);
    if (!standard.data || sourceSize == 0) return standard;
    parseSize = leadingSpaces + size_t(sourceSize);
    parseText = static_cast<uint8_t*>(malloc(parseSize));
    if (!parseText) return standard;  // the standard stream is as good a container
    memset(parseText, fillByte, leadingSpaces);
    memcpy(parseText + leadingSpaces, source, sourceSize);
    if (priceOfCount[2] == 0)
        for (uint32_t count = 1; count < rangeHalf; count++) priceOfCount[count] = log2Price(count);

    BufferResult best = encodeContainer(source, sourceSize, codeBestParse);
    free(parseText);
    parseText = nullptr;
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
