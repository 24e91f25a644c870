#include "lzari_state.h"

#include <cstdlib>

int16_t symbolOfChar[codeCount];
int16_t charOfSymbol[codeCount + 1];
uint16_t symbolFreq[codeCount + 1];
uint16_t symbolCumFreq[codeCount + 1];
uint16_t distanceCumFreq[distanceCount + 1];

uint32_t rangeLow;
uint32_t rangeHigh;
uint32_t codeValue;
uint8_t bitByte;
uint8_t bitMask;

const uint8_t* inputBuffer;
uint32_t inputPos;
uint32_t inputLimit;
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

// Every code starts with frequency 1: code k at symbol index k + 1.
void resetModel()
{
    symbolCumFreq[codeCount] = 0;
    for (int s = codeCount; s >= 1; s--) {
        symbolOfChar[s - 1] = int16_t(s);
        charOfSymbol[s] = int16_t(s - 1);
        symbolFreq[s] = 1;
        symbolCumFreq[s - 1] = uint16_t(symbolCumFreq[s] + 1);
    }
    symbolFreq[0] = 0;

    distanceCumFreq[distanceCount] = 0;
    for (int i = distanceCount; i >= 1; i--)
        distanceCumFreq[i - 1] = uint16_t(distanceCumFreq[i] + distanceWeight / (i + 200));
}

// Counts one more occurrence of `symbol`, keeping the symbols sorted by
// frequency (highest first) by swapping it with the first symbol of its
// frequency run, and halving every frequency when the total reaches its
// limit. The sentinel frequency 0 at index 0 ends the run search.
void adaptModel(int symbol)
{
    if (symbolCumFreq[0] >= totalLimit) {
        unsigned sum = 0;
        for (int i = codeCount; i >= 1; i--) {
            symbolCumFreq[i] = uint16_t(sum);
            symbolFreq[i] = uint16_t((symbolFreq[i] + 1) >> 1);
            sum += symbolFreq[i];
        }
        symbolCumFreq[0] = uint16_t(sum);
    }

    int i = symbol;
    while (symbolFreq[i] == symbolFreq[i - 1]) i--;
    if (i < symbol) {
        int16_t codeAtI = charOfSymbol[i];
        int16_t codeAtSymbol = charOfSymbol[symbol];
        charOfSymbol[i] = codeAtSymbol;
        charOfSymbol[symbol] = codeAtI;
        symbolOfChar[codeAtSymbol] = int16_t(i);
        symbolOfChar[codeAtI] = int16_t(symbol);
    }
    symbolFreq[i]++;
    while (--i >= 0) symbolCumFreq[i]++;
}
