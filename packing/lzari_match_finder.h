// The encoder's match finder: one binary search tree per first byte over
// the strings (60 bytes each) that start at the ring positions before the
// one being coded. Process-wide, like the rest of the codec's state.
#pragma once

#include "lzari_state.h"

constexpr int16_t emptyLink = ringSize;     // 4096: a link to no node
constexpr int treeRootBase = ringSize + 1;  // root of first byte b at 4097 + b

extern int16_t evictPos;  // oldest string; writePos - evictPos = 4036
extern int16_t treeParent[ringSize + 1];
extern int16_t treeLeft[ringSize + 1];         // child comparing lower
extern int16_t treeRight[ringSize + 1 + 256];  // child comparing equal or higher; the roots
extern int16_t bestMatchLength;
extern int16_t bestMatchDistance;

void resetTree();
void insertString(int r);
void removeString(int p);
