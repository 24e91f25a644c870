#include "lzari_state.h"

#include <cstdlib>

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

