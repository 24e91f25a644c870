// The model, coder registers, positions and ring that the decoder and the
// encoder share. Everything here is process-wide, as in the original codec:
// the setup program runs one thread and decodes one payload at a time.
#pragma once

#include <cstddef>
#include <cstdint>

// ---- constants --------------------------------------------------------
constexpr int ringSize = 4096;         // history positions, taken mod 4096
constexpr int ringMask = ringSize - 1;
constexpr int longestMatch = 60;       // also the encoder's lookahead
constexpr int matchThreshold = 2;      // matches this short go as literals
constexpr int codeCount = 256 + longestMatch - matchThreshold;  // 314
constexpr int startOfWriting = ringSize - longestMatch;             // 4036
constexpr uint8_t fillByte = 0x20;
constexpr unsigned totalLimit = 0x7FFF;  // halve the model when reached

// The coder registers are 17 bits wide.
constexpr uint32_t rangeFull = 0x20000;
constexpr uint32_t rangeHalf = 0x10000;
constexpr uint32_t rangeQuarter = 0x8000;
constexpr uint32_t rangeThreeQuarters = 0x18000;

constexpr int distanceCount = ringSize;  // distance codes 0..4095
constexpr int distanceWeight = 10000;    // code d has weight 10000 / (d + 201)

// The encoder's ring repeats its first 59 positions after the last, so that
// the 60 bytes of any string can be read without wrapping.
constexpr int encoderRingSize = ringSize + longestMatch - 1;  // 4155

static_assert(codeCount == 314, "256 literals and 58 match lengths");
static_assert(startOfWriting == 4036, "the first byte is written 60 before the end");

// ---- the symbol model (index 0 is a sentinel) --------------------------
extern int16_t symbolOfChar[codeCount];
extern int16_t charOfSymbol[codeCount + 1];
extern uint16_t symbolFreq[codeCount + 1];
extern uint16_t symbolCumFreq[codeCount + 1];  // [i] = sum of freq above i

// ---- the fixed distance model -----------------------------------------
extern uint16_t distanceCumFreq[distanceCount + 1];

// ---- arithmetic coder -------------------------------------------------
extern uint32_t rangeLow;
extern uint32_t rangeHigh;
extern uint32_t codeValue;
extern uint8_t bitByte;
extern uint8_t bitMask;

// ---- input and output -------------------------------------------------
extern const uint8_t* inputBuffer;
extern uint32_t inputPos;
extern uint32_t inputLimit;  // bytes past this read as 0
extern uint32_t textLength;
extern uint8_t* outputBuffer;
extern uint32_t outputPos;
extern uint32_t outputCapacity;
extern bool outputFailed;  // set when the encoder's output could not grow

// ---- history ----------------------------------------------------------
extern uint8_t historyRing[encoderRingSize];
extern int16_t writePos;

// Returns the next input byte; past the end of the input, 0, so that a
// damaged stream reads as zero bits instead of reading out of bounds. The
// position still counts on past the end (without wrapping), so the caller
// can tell how far a stream was read.
inline uint8_t readInputByte()
{
    if (inputPos < inputLimit) return inputBuffer[inputPos++];
    if (inputPos != UINT32_MAX) ++inputPos;
    return 0;
}

bool growOutput();

// Appends one byte to the output, growing it when full (only the encoder's
// output is ever full: the decoder never writes past its length).
inline void writeOutputByte(uint8_t byte)
{
    if (outputPos == outputCapacity && !growOutput()) return;
    outputBuffer[outputPos++] = byte;
}

void resetModel();
void adaptModel(int symbol);

// ---- decoder only -------------------------------------------------------
int readBit();
int findSymbol(unsigned x);
int findDistance(unsigned x);
int decodeSymbol();
int decodeDistance();

// ---- encoder only -------------------------------------------------------
constexpr int16_t emptyLink = ringSize;     // 4096: a link to no node
constexpr int treeRootBase = ringSize + 1;  // root of first byte b at 4097 + b

extern int16_t evictPos;       // oldest string; writePos - evictPos = 4036
extern uint32_t pendingBits;   // opposite bits owed after the next bit
extern int16_t treeParent[ringSize + 1];
extern int16_t treeLeft[ringSize + 1];        // child comparing lower
extern int16_t treeRight[ringSize + 1 + 256]; // child comparing equal or higher; roots
extern int16_t bestMatchLength;
extern int16_t bestMatchDistance;

void writeBit(int bit);
void emitBit(int bit);
void encodeSymbol(int code);
void encodeDistance(int distanceCode);
void finishCoding();
void resetTree();
void insertString(int r);
void removeString(int p);
