// The LZARI encoder: bytes in, a version-0 container out. Matches are found
// with one binary search tree per first byte over the ring's strings.
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>

#include "lzari.h"
#include "lzari_encode_steps.h"

namespace {

constexpr int16_t emptyLink = ringSize;     // 4096: a link to no node
constexpr int treeRootBase = ringSize + 1;  // root of first byte b at 4097 + b

// The standard encoder's state besides its run: the source, the history
// ring with the strings that start at its positions before the one being
// coded, their trees, and the last search's longest match.
struct StandardEncoder {
    const uint8_t* source;
    uint32_t sourceLength;
    uint32_t sourcePos;
    uint8_t historyRing[encoderRingSize];
    int16_t writePos;   // the position being coded
    int16_t evictPos;   // oldest string; writePos - evictPos = 4036
    int16_t treeParent[ringSize + 1];
    int16_t treeLeft[ringSize + 1];         // child comparing lower
    int16_t treeRight[ringSize + 1 + 256];  // child comparing equal or higher; the roots
    int16_t bestMatchLength;
    int16_t bestMatchDistance;
};

// ---- match finder -------------------------------------------------------

void resetTree(StandardEncoder& e)
{
    for (int i = treeRootBase; i < treeRootBase + 256; i++) e.treeRight[i] = emptyLink;
    for (int i = 0; i < ringSize; i++) e.treeParent[i] = emptyLink;
}

// r's string equals p's in all 60 bytes: r takes p's place in the tree, so
// the tree never holds two equal strings and keeps the newer one.
void replaceNode(StandardEncoder& e, int p, int r)
{
    e.treeParent[r] = e.treeParent[p];
    e.treeLeft[r] = e.treeLeft[p];
    e.treeRight[r] = e.treeRight[p];
    e.treeParent[e.treeLeft[p]] = int16_t(r);
    e.treeParent[e.treeRight[p]] = int16_t(r);
    if (e.treeRight[e.treeParent[p]] == p) e.treeRight[e.treeParent[p]] = int16_t(r);
    else e.treeLeft[e.treeParent[p]] = int16_t(r);
    e.treeParent[p] = emptyLink;
}

// The number of leading bytes two strings share (the first byte is shared
// by construction; 60 when all are), and the sign of the first difference
// as key byte minus node byte. Compares eight bytes at a time: the first
// differing byte of a word is its lowest set byte of the XOR.
inline int commonLength(const uint8_t* key, const uint8_t* node, int* comparison)
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
void insertString(StandardEncoder& e, int r)
{
    const uint8_t* key = &e.historyRing[r];
    int comparison = 1;
    int p = treeRootBase + key[0];
    e.treeLeft[r] = e.treeRight[r] = emptyLink;
    e.bestMatchLength = 0;
    for (;;) {
        int16_t* child = comparison >= 0 ? &e.treeRight[p] : &e.treeLeft[p];
        if (*child == emptyLink) {
            *child = int16_t(r);
            e.treeParent[r] = int16_t(p);
            return;
        }
        p = *child;

        int i = commonLength(key, &e.historyRing[p], &comparison);
        if (i <= matchThreshold) continue;
        int16_t distance = int16_t((r - p) & ringMask);
        if (i > e.bestMatchLength) {
            e.bestMatchDistance = distance;
            e.bestMatchLength = int16_t(i);
            if (i >= longestMatch) break;
        } else if (i == e.bestMatchLength && distance < e.bestMatchDistance) {
            e.bestMatchDistance = distance;
        }
    }
    replaceNode(e, p, r);
}

// Takes the string at ring position p out of its tree, if it is in one.
void removeString(StandardEncoder& e, int p)
{
    int16_t* parent = e.treeParent;
    int16_t* left = e.treeLeft;
    int16_t* right = e.treeRight;
    if (parent[p] == emptyLink) return;
    int q;
    if (right[p] == emptyLink) {
        q = left[p];
    } else if (left[p] == emptyLink) {
        q = right[p];
    } else {
        q = left[p];
        if (right[q] != emptyLink) {
            // The next lower string than p replaces it.
            while (right[q] != emptyLink) q = right[q];
            right[parent[q]] = left[q];
            parent[left[q]] = parent[q];
            left[q] = left[p];
            parent[left[p]] = int16_t(q);
        }
        right[q] = right[p];
        parent[right[p]] = int16_t(q);
    }
    parent[q] = parent[p];
    if (right[parent[p]] == p) right[parent[p]] = int16_t(q);
    else left[parent[p]] = int16_t(q);
    parent[p] = emptyLink;
}

// ---- the coding loop ----------------------------------------------------

// Moves the ring on by one position: the oldest string leaves, the next
// source byte (when there is one) takes its place, and the new position's
// string joins its tree unless the lookahead has run out.
void advance(StandardEncoder& e, bool fromSource, int& lookahead)
{
    removeString(e, e.evictPos);
    if (fromSource) {
        uint8_t b = e.source[e.sourcePos++];
        e.historyRing[e.evictPos] = b;
        if (e.evictPos < longestMatch - 1) e.historyRing[e.evictPos + ringSize] = b;
    }
    e.evictPos = int16_t((e.evictPos + 1) & ringMask);
    e.writePos = int16_t((e.writePos + 1) & ringMask);
    if (fromSource || --lookahead != 0) insertString(e, e.writePos);
}

void encodeText(StandardEncoder& e, EncodeRun& run, RangeCoder& coder)
{
    resetTree(e);
    e.evictPos = 0;
    e.writePos = startOfWriting;
    memset(e.historyRing, fillByte, startOfWriting);
    // Cleared on every call so that the output depends on the input alone:
    // comparisons near the end of a short input read these positions.
    memset(e.historyRing + startOfWriting, 0, encoderRingSize - startOfWriting);

    int lookahead = 0;
    while (lookahead < longestMatch && e.sourcePos < e.sourceLength)
        e.historyRing[startOfWriting + lookahead++] = e.source[e.sourcePos++];
    for (int i = 1; i <= longestMatch; i++) insertString(e, startOfWriting - i);
    insertString(e, startOfWriting);

    do {
        if (e.bestMatchLength > lookahead) e.bestMatchLength = int16_t(lookahead);
        if (e.bestMatchLength <= matchThreshold) {
            e.bestMatchLength = 1;
            encodeSymbol(run, coder, e.historyRing[e.writePos]);
        } else {
            encodeSymbol(run, coder, e.bestMatchLength + lengthToCode);
            encodeDistance(run, coder, e.bestMatchDistance - 1);
        }
        for (int i = 0, last = e.bestMatchLength; i < last; i++) advance(e, e.sourcePos < e.sourceLength, lookahead);
    } while (lookahead > 0);
}

}  // namespace

// Doubles the output block. A container's size must fit in 32 bits, so
// growth past that fails, and so does a failed reallocation; either way the
// block is released and `failed` tells the encoder to give up.
bool growOutput(EncodeRun& run)
{
    if (run.failed) return false;
    uint64_t wanted = uint64_t(run.outputCapacity) * 2 + 1024;
    if (wanted > UINT32_MAX) wanted = UINT32_MAX;
    void* grown = wanted > run.outputCapacity && wanted <= SIZE_MAX ? realloc(run.output, size_t(wanted)) : nullptr;
    if (!grown) {
        free(run.output);
        run.output = nullptr;
        run.outputCapacity = 0;
        run.outputSize = 0;
        run.failed = true;
        return false;
    }
    run.output = static_cast<uint8_t*>(grown);
    run.outputCapacity = uint32_t(wanted);
    return true;
}

bool beginContainer(EncodeRun& run, uint32_t sourceSize)
{
    // Random data grows by about 0.1 %; the block grows further on demand.
    uint64_t capacity = uint64_t(sourceSize) + sourceSize / 64 + 1024;
    run.output = nullptr;
    run.outputSize = run.outputCapacity = 0;
    run.failed = capacity > UINT32_MAX || capacity > SIZE_MAX;
    if (!run.failed) run.output = static_cast<uint8_t*>(malloc(size_t(capacity)));
    if (!run.output) return false;
    run.outputCapacity = uint32_t(capacity);
    for (uint8_t byte : magicVersion0) writeOutputByte(run, byte);
    return true;
}

BufferResult endContainer(EncodeRun& run, uint32_t sourceSize)
{
    uint8_t length[4];
    writeLittleEndian32(length, sourceSize);
    for (uint8_t byte : length) writeOutputByte(run, byte);
    if (run.failed) return BufferResult{nullptr, 0};
    return BufferResult{run.output, run.outputSize};
}

BufferResult lzariEncode(const uint8_t* source, uint32_t sourceSize)
{
    // About 30 KB of state and the run's model: on the heap, not a thread's stack.
    struct State {
        StandardEncoder encoder;
        EncodeRun run;
    };
    std::unique_ptr<State> state(new (std::nothrow) State);
    if (!state) return BufferResult{nullptr, 0};
    StandardEncoder& e = state->encoder;
    e.source = source;
    e.sourceLength = sourceSize;
    e.sourcePos = 0;
    return encodeContainer(state->run, sourceSize, [&e](EncodeRun& run, RangeCoder& coder) { encodeText(e, run, coder); });
}
