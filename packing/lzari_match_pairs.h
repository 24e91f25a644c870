// The best parse's match finder, which gives for each position the nearest
// match of every length; lzariEncodeBest (lzari.h) prices them from the
// live model and chooses its parse.
#pragma once

#include <cstddef>
#include <cstdint>

#include "lzari_coder.h"

// A match of `length` bytes `distance` bytes back (1..4096).
struct MatchPair {
    uint16_t length;
    uint16_t distance;
};

// The text the parse sees: the spaces the history holds before the first
// byte, then the input. A match may reach back into those spaces, as the
// standard encoder's matches do.
constexpr size_t leadingSpaces = startOfWriting;  // 4036
constexpr uint32_t farthestDistance = ringSize;   // distance code 4095

// The most pairs one position can have: one for each length from 3 to 60.
constexpr int mostPairs = longestMatch - matchThreshold;

// Node slots are reused modulo this; every node the search may still visit
// is at most farthestDistance back, so its slot is its own.
constexpr size_t pairNodeSlots = 2 * ringSize;

// One text's trees: the subtrees of strings below and equal or above each
// node's, and each pair of first bytes' root (about 640 KB).
struct MatchPairFinder {
    const uint8_t* text;
    size_t size;
    size_t lowerChild[pairNodeSlots];
    size_t higherChild[pairNodeSlots];
    size_t treeRoot[65536];
};

// Starts over on a new text of `size` bytes (the leading spaces included).
void resetMatchPairs(MatchPairFinder& finder, const uint8_t* text, size_t size);

// Adds the string at `position` (each position once, in order), writes to
// `pairs` the nearest earlier match of each length it can reach, as
// pairs of growing length and growing distance: for every length L from 3
// to the last pair's, the first pair at least L long is the nearest match
// of L bytes or more. Matches end at the end of the text and reach no
// further back than farthestDistance.
// Returns how many it wrote (at most mostPairs).
int findMatchPairs(MatchPairFinder& finder, size_t position, MatchPair* pairs);
