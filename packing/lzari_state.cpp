#include "lzari_state.h"

#include <cstdlib>

static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__, "the model's word-wide update assumes little-endian words");

int16_t symbolOfChar[codeCount];
int16_t charOfSymbol[codeCount + 1];
uint16_t symbolFreq[codeCount + 1];
alignas(16) uint16_t symbolCumFreq[cumFreqEntries];
alignas(16) uint16_t blockCumFreq[cumFreqBlocks];
uint16_t distanceCumFreq[distanceCount + 1];
uint16_t distanceOfTarget[distanceTotal];

uint32_t textLength;
uint8_t* outputBuffer;
uint32_t outputPos;
uint32_t outputCapacity;
bool outputFailed;

uint8_t historyRing[encoderRingSize];
int16_t writePos;

// Doubles the output block. A container's size must fit in 32 bits, so
// growth past that fails, and so does a failed reallocation; either way the
// block is released and `outputFailed` tells the encoder to give up.
bool growOutput()
{
    if (outputFailed) return false;
    uint64_t wanted = uint64_t(outputCapacity) * 2 + 1024;
    if (wanted > UINT32_MAX) wanted = UINT32_MAX;
    void* grown = wanted > outputCapacity && wanted <= SIZE_MAX ? realloc(outputBuffer, size_t(wanted)) : nullptr;
    if (!grown) {
        free(outputBuffer);
        outputBuffer = nullptr;
        outputCapacity = 0;
        outputPos = 0;
        outputFailed = true;
        return false;
    }
    outputBuffer = static_cast<uint8_t*>(grown);
    outputCapacity = uint32_t(wanted);
    return true;
}

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

static void indexBlocks()
{
    for (int b = 0; b < cumFreqBlocks; b++) blockCumFreq[b] = symbolCumFreq[8 * b + 7];
}

// Every code starts with frequency 1: code k at symbol index k + 1.
void resetModel()
{
    for (int s = codeCount; s >= 1; s--) {
        symbolOfChar[s - 1] = int16_t(s);
        charOfSymbol[s] = int16_t(s - 1);
        symbolFreq[s] = 1;
        symbolCumFreq[s - 1] = uint16_t(codeCount - (s - 1));
    }
    symbolFreq[0] = 0;
    for (int i = codeCount; i < cumFreqEntries; i++) symbolCumFreq[i] = 0;
    indexBlocks();
    if (distanceCumFreq[0] != distanceTotal) buildDistanceModel();
}

// Halves every frequency, rounding up so that none falls to 0; the order of
// the symbols stays as it was.
void halveModel()
{
    unsigned sum = 0;
    for (int i = codeCount; i >= 1; i--) {
        symbolCumFreq[i] = uint16_t(sum);
        symbolFreq[i] = uint16_t((symbolFreq[i] + 1) >> 1);
        sum += symbolFreq[i];
    }
    symbolCumFreq[0] = uint16_t(sum);
    indexBlocks();
}
