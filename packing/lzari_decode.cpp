// The LZARI decoder: container in, the file's bytes out.
#include <cstdlib>
#include <cstring>

#include "lzari.h"
#include "lzari_state.h"

// Where the last decode's stream ends: the start of its length field. A
// well-formed stream's reading ends one or two bytes into that field, since
// the 17-bit code window runs ahead of the last bit the coder settled.
static uint32_t lengthFieldPos;

int readBit()
{
    bitMask >>= 1;
    if (bitMask == 0) {
        bitByte = readInputByte();
        bitMask = 0x80;
    }
    return (bitByte & bitMask) != 0;
}

// Smallest symbol index whose cumulative frequency is not above x.
int findSymbol(unsigned x)
{
    int lo = 1, hi = codeCount;
    while (lo < hi) {
        int mid = (lo + hi) / 2;
        if (symbolCumFreq[mid] > x) lo = mid + 1;
        else hi = mid;
    }
    return lo;
}

// The distance code d with distanceCumFreq[d + 1] <= x < distanceCumFreq[d].
int findDistance(unsigned x)
{
    int lo = 1, hi = distanceCount;
    while (lo < hi) {
        int mid = (lo + hi) / 2;
        if (distanceCumFreq[mid] > x) lo = mid + 1;
        else hi = mid;
    }
    return lo - 1;
}

// Narrows the interval to [lowerCum, upperCum) of `total` and shifts in the
// bits that the interval has settled.
static void narrowInterval(uint32_t range, uint32_t total, uint32_t upperCum, uint32_t lowerCum)
{
    uint32_t low = rangeLow;
    rangeHigh = low + range * upperCum / total;
    rangeLow = low + range * lowerCum / total;
    for (;;) {
        if (rangeLow >= rangeHalf) {
            codeValue -= rangeHalf;
            rangeLow -= rangeHalf;
            rangeHigh -= rangeHalf;
        } else if (rangeLow >= rangeQuarter && rangeHigh <= rangeThreeQuarters) {
            codeValue -= rangeQuarter;
            rangeLow -= rangeQuarter;
            rangeHigh -= rangeQuarter;
        } else if (rangeHigh > rangeHalf) {
            break;
        }
        rangeLow += rangeLow;
        rangeHigh += rangeHigh;
        codeValue = 2 * codeValue + readBit();
    }
}

int decodeSymbol()
{
    uint32_t range = rangeHigh - rangeLow;
    uint32_t total = symbolCumFreq[0];
    uint32_t target = ((codeValue - rangeLow + 1) * total - 1) / range;
    int s = findSymbol(uint16_t(target));
    narrowInterval(range, total, symbolCumFreq[s - 1], symbolCumFreq[s]);
    int code = charOfSymbol[s];
    adaptModel(s);
    return code;
}

int decodeDistance()
{
    uint32_t range = rangeHigh - rangeLow;
    uint32_t total = distanceCumFreq[0];
    uint32_t target = ((codeValue - rangeLow + 1) * total - 1) / range;
    int d = findDistance(target);
    narrowInterval(range, total, distanceCumFreq[d], distanceCumFreq[d + 1]);
    return d;
}

static bool streamMagicMatches()
{
    for (int i = 0; i < 4; i++) {
        uint8_t byte = readInputByte();
        uint8_t expected = magicVersion0[i];
        if (byte != expected && (byte ^ 0x20) != expected) return false;
    }
    return true;
}

// Sets the version and time stamp as the magic says, and trims the time
// stamp off a version-1 container. Returns the size without the trailer,
// or 0 when the container cannot hold its fields.
static uint32_t classifyContainer(const uint8_t* container, uint32_t containerSize)
{
    if (containerSize < 4) return 0;
    if (memcmp(container, magicVersion0, 4) == 0) {
        payloadFormatVersion = 0;
    } else if (memcmp(container, magicVersion1, 4) == 0) {
        payloadFormatVersion = 1;
        if (containerSize < version1Overhead) {
            // No room for a trailer: a stamp from these bytes would be
            // meaningless, and a stale one must not pass for this file's.
            payloadFileTime = FILETIME{0, 0};
            return 0;
        }
        containerSize -= 8;
        payloadFileTime = readFileTime(container + containerSize);
    }
    return containerSize < version0Overhead ? 0 : containerSize;
}

static void decodeText()
{
    writePos = startOfWriting;
    memset(historyRing, fillByte, startOfWriting);
    while (outputPos < textLength) {
        int code = decodeSymbol();
        if (code < 256) {
            outputBuffer[outputPos++] = uint8_t(code);
            historyRing[writePos] = uint8_t(code);
            writePos = int16_t((writePos + 1) & ringMask);
            continue;
        }
        int start = (writePos - decodeDistance() - 1) & ringMask;
        uint32_t length = uint32_t(code - 253);
        // A well-formed stream's last match ends exactly at the length; a
        // damaged one is cut there.
        if (length > textLength - outputPos) length = textLength - outputPos;
        for (uint32_t k = 0; k < length; k++) {
            uint8_t b = historyRing[(start + k) & ringMask];
            outputBuffer[outputPos++] = b;
            historyRing[writePos] = b;
            writePos = int16_t((writePos + 1) & ringMask);
        }
    }
}

BufferResult lzariDecode(const uint8_t* container, uint32_t containerSize)
{
    BufferResult result = {nullptr, 0};
    lengthFieldPos = 0;
    containerSize = classifyContainer(container, containerSize);
    if (containerSize == 0) return result;

    inputBuffer = container;
    inputPos = 0;
    inputLimit = containerSize;
    textLength = readLittleEndian32(container + containerSize - 4);
    if (textLength == 0) return result;

    outputBuffer = static_cast<uint8_t*>(malloc(textLength));
    if (!outputBuffer) return result;
    outputCapacity = textLength;
    outputPos = 0;

    if (!streamMagicMatches()) {
        free(outputBuffer);
        outputBuffer = nullptr;
        return result;
    }

    bitByte = 0;
    bitMask = 0;
    rangeLow = 0;
    codeValue = 0;
    rangeHigh = rangeFull;
    for (int i = 0; i < 17; i++) codeValue = 2 * codeValue + readBit();
    resetModel();
    decodeText();

    lengthFieldPos = containerSize - 4;
    result.data = outputBuffer;
    result.size = outputPos;
    outputBuffer = nullptr;
    return result;
}

bool lzariDecodeConsumedExactly()
{
    return lengthFieldPos != 0 && (inputPos == lengthFieldPos + 1 || inputPos == lengthFieldPos + 2);
}
