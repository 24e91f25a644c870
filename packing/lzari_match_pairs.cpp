// The best parse's match finder: one binary search tree per pair of first
// bytes, kept with the newest string at the root (each new string is
// inserted as the root and the old tree is split around it). The tree is
// then ordered by string and, top to bottom, by recency: the strings that
// share at least L bytes with a new string are neighbours in string order,
// and the newest of them lies on the new string's search path. So the
// search meets, for every length, the nearest string that long first, and
// recording each longer match it meets gives the nearest match of every
// length. Written by hand: no library offers a match finder over a text
// with this format's window, lengths and lead of spaces.
#include <algorithm>
#include <cstring>

#include "lzari_match_pairs.h"

namespace {

constexpr size_t noNode = SIZE_MAX;
constexpr size_t slotMask = pairNodeSlots - 1;
// A search that has gone this deep stops and drops the older nodes below:
// it bounds the time per position on pathological text, and the parse
// stays the same on every machine.
constexpr int deepestSearch = 256;

}  // namespace

void resetMatchPairs(MatchPairFinder& finder, const uint8_t* text, size_t size)
{
    finder.text = text;
    finder.size = size;
    std::fill(finder.treeRoot, finder.treeRoot + 65536, noNode);
}

int findMatchPairs(MatchPairFinder& finder, size_t position, MatchPair* pairs)
{
    size_t* lowerChild = finder.lowerChild;
    size_t* higherChild = finder.higherChild;
    // The longest match that fits before the end; a string shorter than
    // two bytes has no tree and can match nothing.
    const int longest = int(std::min<size_t>(longestMatch, finder.size - position));
    if (longest < 2) return 0;
    const uint8_t* key = finder.text + position;
    size_t& root = finder.treeRoot[key[0] | key[1] << 8];
    size_t node = root;
    root = position;

    // Where the next old node below the key, or above it, is attached; and
    // how many bytes the key shares with the last node attached there. Every
    // node still to be met lies between those two, so it shares at least
    // the smaller count too, and the comparison starts there.
    size_t* lowerSlot = &lowerChild[position & slotMask];
    size_t* higherSlot = &higherChild[position & slotMask];
    int lowerShared = 0, higherShared = 0;
    int recorded = matchThreshold, count = 0;
    for (int depth = 0;; depth++) {
        if (node == noNode || position - node > farthestDistance || depth == deepestSearch) {
            *lowerSlot = *higherSlot = noNode;
            return count;
        }
        const uint8_t* candidate = finder.text + node;
        int shared = std::min(lowerShared, higherShared);
        while (shared < longest && candidate[shared] == key[shared]) shared++;
        if (shared > recorded) {
            recorded = shared;
            pairs[count++] = {uint16_t(shared), uint16_t(position - node)};
        }
        if (shared == longest) {
            // The key equals this node as far as it can be read: it takes
            // the node's place and children, and the older node leaves.
            *lowerSlot = lowerChild[node & slotMask];
            *higherSlot = higherChild[node & slotMask];
            return count;
        }
        // The node goes to the key's side it compares to; its subtree on
        // the key's side of it is searched next.
        if (candidate[shared] < key[shared]) {
            *lowerSlot = node;
            lowerSlot = &higherChild[node & slotMask];
            lowerShared = shared;
            node = *lowerSlot;
        } else {
            *higherSlot = node;
            higherSlot = &lowerChild[node & slotMask];
            higherShared = shared;
            node = *higherSlot;
        }
    }
}
