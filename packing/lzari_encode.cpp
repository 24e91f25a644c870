// The LZARI encoder: bytes in, a version-0 container out. Matches are found
// with one binary search tree per first byte over the ring's strings.
#include <cstdlib>
#include <cstring>

#include "lzari.h"
#include "lzari_encoder.h"
#include "lzari_match_finder.h"

int16_t evictPos;
int16_t treeParent[ringSize + 1];
int16_t treeLeft[ringSize + 1];
int16_t treeRight[ringSize + 1 + 256];
int16_t bestMatchLength;
int16_t bestMatchDistance;

// ---- match finder -------------------------------------------------------

void resetTree()
{
    for (int i = treeRootBase; i < treeRootBase + 256; i++) treeRight[i] = emptyLink;
    for (int i = 0; i < ringSize; i++) treeParent[i] = emptyLink;
}

// r's string equals p's in all 60 bytes: r takes p's place in the tree, so
// the tree never holds two equal strings and keeps the newer one.
static void replaceNode(int p, int r)
{
    treeParent[r] = treeParent[p];
    treeLeft[r] = treeLeft[p];
    treeRight[r] = treeRight[p];
    treeParent[treeLeft[p]] = int16_t(r);
    treeParent[treeRight[p]] = int16_t(r);
    if (treeRight[treeParent[p]] == p) treeRight[treeParent[p]] = int16_t(r);
    else treeLeft[treeParent[p]] = int16_t(r);
    treeParent[p] = emptyLink;
}

// The number of leading bytes two strings share (the first byte is shared
// by construction; 60 when all are), and the sign of the first difference
// as key byte minus node byte. Compares eight bytes at a time: the first
// differing byte of a word is its lowest set byte of the XOR.
static inline int commonLength(const uint8_t* key, const uint8_t* node, int* comparison)
{
    static_assert(longestMatch == 60, "seven words from byte 1, then one word ending at byte 59");
    for (int i = 1; i < 57; i += 8) {
        uint64_t a, b;
        memcpy(&a, key + i, 8);
        memcpy(&b, node + i, 8);
        if (uint64_t difference = a ^ b) {
            int k = i + (__builtin_ctzll(difference) >> 3);
            *comparison = int(key[k]) - int(node[k]);
            return k;
        }
    }
    // Bytes 57..59, read as the word of bytes 52..59 so as not to read past
    // the string (52..56 are equal by now).
    uint64_t a, b;
    memcpy(&a, key + 52, 8);
    memcpy(&b, node + 52, 8);
    if (uint64_t difference = a ^ b) {
        int k = 52 + (__builtin_ctzll(difference) >> 3);
        *comparison = int(key[k]) - int(node[k]);
        return k;
    }
    *comparison = 0;
    return longestMatch;
}

// Adds the string at ring position r to its tree and records the longest
// (then nearest) earlier match in bestMatchLength and bestMatchDistance.
void insertString(int r)
{
    const uint8_t* key = &historyRing[r];
    int comparison = 1;
    int p = treeRootBase + key[0];
    treeLeft[r] = treeRight[r] = emptyLink;
    bestMatchLength = 0;
    for (;;) {
        int16_t* child = comparison >= 0 ? &treeRight[p] : &treeLeft[p];
        if (*child == emptyLink) {
            *child = int16_t(r);
            treeParent[r] = int16_t(p);
            return;
        }
        p = *child;

        int i = commonLength(key, &historyRing[p], &comparison);
        if (i <= matchThreshold) continue;
        int16_t distance = int16_t((r - p) & ringMask);
        if (i > bestMatchLength) {
            bestMatchDistance = distance;
            bestMatchLength = int16_t(i);
            if (i >= longestMatch) break;
        } else if (i == bestMatchLength && distance < bestMatchDistance) {
            bestMatchDistance = distance;
        }
    }
    replaceNode(p, r);
}

// Takes the string at ring position p out of its tree, if it is in one.
void removeString(int p)
{
    if (treeParent[p] == emptyLink) return;
    int q;
    if (treeRight[p] == emptyLink) {
        q = treeLeft[p];
    } else if (treeLeft[p] == emptyLink) {
        q = treeRight[p];
    } else {
        q = treeLeft[p];
        if (treeRight[q] != emptyLink) {
            // The next lower string than p replaces it.
            while (treeRight[q] != emptyLink) q = treeRight[q];
            treeRight[treeParent[q]] = treeLeft[q];
            treeParent[treeLeft[q]] = treeParent[q];
            treeLeft[q] = treeLeft[p];
            treeParent[treeLeft[p]] = int16_t(q);
        }
        treeRight[q] = treeRight[p];
        treeParent[treeRight[p]] = int16_t(q);
    }
    treeParent[q] = treeParent[p];
    if (treeRight[treeParent[p]] == p) treeRight[treeParent[p]] = int16_t(q);
    else treeLeft[treeParent[p]] = int16_t(q);
    treeParent[p] = emptyLink;
}

// ---- the coding loop ----------------------------------------------------

static const uint8_t* sourceBytes;
static uint32_t sourceLength;
static uint32_t sourcePos;

static void encodeText(RangeCoder& coder)
{
    resetModel();
    resetTree();
    evictPos = 0;
    writePos = startOfWriting;
    memset(historyRing, fillByte, startOfWriting);
    // Cleared on every call so that the output depends on the input alone:
    // comparisons near the end of a short input read these positions.
    memset(historyRing + startOfWriting, 0, encoderRingSize - startOfWriting);

    int lookahead = 0;
    while (lookahead < longestMatch && sourcePos < sourceLength)
        historyRing[startOfWriting + lookahead++] = sourceBytes[sourcePos++];
    for (int i = 1; i <= longestMatch; i++) insertString(startOfWriting - i);
    insertString(startOfWriting);

    do {
        if (bestMatchLength > lookahead) bestMatchLength = int16_t(lookahead);
        if (bestMatchLength <= matchThreshold) {
            bestMatchLength = 1;
            encodeSymbol(coder, historyRing[writePos]);
        } else {
            encodeSymbol(coder, bestMatchLength + lengthToCode);
            encodeDistance(coder, bestMatchDistance - 1);
        }
        int last = bestMatchLength;
        int i = 0;
        for (; i < last && sourcePos < sourceLength; i++) {
            removeString(evictPos);
            uint8_t b = sourceBytes[sourcePos++];
            historyRing[evictPos] = b;
            if (evictPos < longestMatch - 1) historyRing[evictPos + ringSize] = b;
            evictPos = int16_t((evictPos + 1) & ringMask);
            writePos = int16_t((writePos + 1) & ringMask);
            insertString(writePos);
        }
        for (; i < last; i++) {
            removeString(evictPos);
            evictPos = int16_t((evictPos + 1) & ringMask);
            writePos = int16_t((writePos + 1) & ringMask);
            if (--lookahead != 0) insertString(writePos);
        }
    } while (lookahead > 0);
}

BufferResult encodeContainer(const uint8_t* source, uint32_t sourceSize, void (*codeText)(RangeCoder&))
{
    BufferResult result = {nullptr, 0};
    sourceBytes = source;
    sourceLength = sourceSize;
    sourcePos = 0;

    // Random data grows by about 0.1 %; the block grows further on demand.
    uint64_t capacity = uint64_t(sourceSize) + sourceSize / 64 + 1024;
    if (capacity > UINT32_MAX || capacity > SIZE_MAX) return result;
    outputBuffer = static_cast<uint8_t*>(malloc(size_t(capacity)));
    if (!outputBuffer) return result;
    outputCapacity = uint32_t(capacity);
    outputFailed = false;
    outputPos = 0;

    for (uint8_t byte : magicVersion0) writeOutputByte(byte);
    // An empty input gets an empty stream: its length of 0 means no decoder
    // ever reads one.
    if (sourceSize > 0) {
        RangeCoder coder;
        startEncoding(coder);
        codeText(coder);
        finishCoding(coder);
    }
    uint8_t length[4];
    writeLittleEndian32(length, sourceSize);
    for (uint8_t byte : length) writeOutputByte(byte);

    if (outputFailed) return result;
    result.data = outputBuffer;
    result.size = outputPos;
    outputBuffer = nullptr;
    return result;
}

BufferResult lzariEncode(const uint8_t* source, uint32_t sourceSize)
{
    return encodeContainer(source, sourceSize, encodeText);
}
