#include "lzari_model.h"

int16_t symbolOfChar[codeCount];
int16_t charOfSymbol[codeCount + 1];
alignas(16) uint16_t symbolFreq[modelEntries];
alignas(16) uint16_t blockLastFreq[modelBlocks];
alignas(16) uint16_t blockCumFreq[modelBlocks];
alignas(16) uint16_t cumFreqInBlock[modelEntries];
alignas(16) int16_t entryIndex[modelEntries];
uint16_t distanceCumFreq[distanceCount + 1];
uint16_t distanceOfTarget[distanceTotal];

// The distance model never changes; it is built on the first reset.
static void buildDistanceModel()
{
    distanceCumFreq[distanceCount] = 0;
    for (int i = distanceCount; i >= 1; i--)
        distanceCumFreq[i - 1] = uint16_t(distanceCumFreq[i] + distanceWeight / (i + 200));
    for (int d = 0; d < distanceCount; d++)
        for (uint32_t target = distanceCumFreq[d + 1]; target < distanceCumFreq[d]; target++)
            distanceOfTarget[target] = uint16_t(d);
}

// Derives the cumulative parts and the blocks' last frequencies from the
// frequencies.
static void sumFrequencies()
{
    unsigned later = 0;  // sum over the blocks after the current one
    for (int b = modelBlocks - 1; b >= 0; b--) {
        blockCumFreq[b] = uint16_t(later);
        blockLastFreq[b] = symbolFreq[8 * b + 7];
        unsigned inBlock = 0;
        for (int i = 8 * b + 7; i >= 8 * b; i--) {
            cumFreqInBlock[i] = uint16_t(inBlock);
            inBlock += symbolFreq[i];
        }
        later += inBlock;
    }
}

// Every code starts with frequency 1: code k at symbol index k + 1.
void resetModel()
{
    for (int s = 1; s <= codeCount; s++) {
        symbolOfChar[s - 1] = int16_t(s);
        charOfSymbol[s] = int16_t(s - 1);
    }
    for (int i = 0; i < modelEntries; i++) {
        symbolFreq[i] = i >= 1 && i <= codeCount ? 1 : 0;
        entryIndex[i] = int16_t(i);
    }
    sumFrequencies();
    if (distanceCumFreq[0] != distanceTotal) buildDistanceModel();
}

// Halves every frequency, rounding up so that none falls to 0; the order of
// the symbols stays as it was.
void halveModel()
{
    for (int i = 1; i <= codeCount; i++) symbolFreq[i] = uint16_t((symbolFreq[i] + 1) >> 1);
    sumFrequencies();
}
