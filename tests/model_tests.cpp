// The adaptive symbol model and the fixed distance model: the tables both
// directions must keep in step, bit for bit.
#include <gtest/gtest.h>

#include "lzari_decoder.h"

namespace {

TEST(SymbolModel, StartsFlatWithCodeKAtIndexKPlus1)
{
    resetModel();
    EXPECT_EQ(symbolCumFreq[0], 314);
    EXPECT_EQ(symbolCumFreq[314], 0);
    EXPECT_EQ(symbolFreq[0], 0);
    for (int code = 0; code < codeCount; code++) {
        EXPECT_EQ(symbolOfChar[code], code + 1);
        EXPECT_EQ(charOfSymbol[code + 1], code);
        EXPECT_EQ(symbolCumFreq[code + 1], 314 - (code + 1));
    }
}

TEST(SymbolModel, FirstAdaptationMovesTheSymbolToTheFront)
{
    resetModel();
    adaptModel(symbolOfChar[0x41]);  // the literal 'A', symbol index 66
    EXPECT_EQ(symbolOfChar[0x41], 1);
    EXPECT_EQ(charOfSymbol[1], 0x41);
    EXPECT_EQ(symbolOfChar[0], 66);
    EXPECT_EQ(charOfSymbol[66], 0);
    EXPECT_EQ(symbolFreq[1], 2);
    EXPECT_EQ(symbolCumFreq[0], 315);
    EXPECT_EQ(symbolCumFreq[1], 313) << "only entries below the symbol's index change";
}

// Checks the model's invariants: sorted frequencies, inverse permutations,
// cumulative sums.
void expectModelConsistent()
{
    unsigned sum = 0;
    for (int i = codeCount; i >= 1; i--) {
        ASSERT_EQ(symbolCumFreq[i], sum) << "index " << i;
        ASSERT_GE(symbolFreq[i], 1);
        if (i > 1) {
            ASSERT_GE(symbolFreq[i - 1], symbolFreq[i]) << "index " << i;
        }
        ASSERT_EQ(symbolOfChar[charOfSymbol[i]], i);
        sum += symbolFreq[i];
    }
    ASSERT_EQ(symbolCumFreq[0], sum);
    ASSERT_LE(sum, 32767u);
    for (int b = 0; b < cumFreqBlocks; b++) ASSERT_EQ(blockCumFreq[b], symbolCumFreq[8 * b + 7]) << "block " << b;
}

TEST(SymbolModel, HalvesFirstAtThe32454thUpdate)
{
    resetModel();
    // The total grows by one per update from 314 and reaches the limit
    // after 32453 updates; the next update halves first.
    for (int update = 1; update <= 32453; update++) {
        adaptModel(symbolOfChar[update % 7]);
        ASSERT_EQ(symbolCumFreq[0], 314 + update) << "update " << update;
    }
    EXPECT_EQ(symbolCumFreq[0], 32767);
    unsigned halvedTotal = 0;
    for (int i = 1; i <= codeCount; i++) halvedTotal += (symbolFreq[i] + 1u) / 2;
    adaptModel(symbolOfChar[0]);
    EXPECT_EQ(symbolCumFreq[0], halvedTotal + 1) << "the 32454th update halved the model, then counted";
    expectModelConsistent();
    EXPECT_EQ(symbolFreq[codeCount], 1) << "a frequency of 1 stays 1";
}

TEST(SymbolModel, StaysConsistentUnderSkewedUpdates)
{
    resetModel();
    uint32_t state = 12345;
    for (int update = 0; update < 200000; update++) {
        state = state * 1103515245 + 12345;
        int code = (state >> 16) % 8 == 0 ? int((state >> 8) % codeCount) : int((state >> 20) % 3);
        adaptModel(symbolOfChar[code]);
    }
    expectModelConsistent();
}

TEST(DistanceModel, WidthsFallFrom49To2AndSumTo28568)
{
    resetModel();
    EXPECT_EQ(distanceCumFreq[0], 28568);
    EXPECT_EQ(distanceCumFreq[4096], 0);
    EXPECT_EQ(distanceCumFreq[0] - distanceCumFreq[1], 49);
    EXPECT_EQ(distanceCumFreq[4095] - distanceCumFreq[4096], 2);
    for (int d = 0; d < distanceCount; d++)
        ASSERT_EQ(distanceCumFreq[d] - distanceCumFreq[d + 1], 10000 / (d + 201)) << "code " << d;
}

TEST(Search, FindsTheIntervalHoldingTheTarget)
{
    resetModel();
    for (int update = 0; update < 5000; update++) adaptModel(symbolOfChar[(update * 7) % 40]);
    expectModelConsistent();
    for (unsigned x = 0; x < symbolCumFreq[0]; x++) {
        int s = findSymbol(x);
        ASSERT_LE(symbolCumFreq[s], x);
        ASSERT_GT(symbolCumFreq[s - 1], x);
        ASSERT_EQ(findSymbolByLifting(x), s) << "both searches agree";
    }
    for (unsigned x = 0; x < distanceCumFreq[0]; x++) {
        int d = distanceOfTarget[x];
        ASSERT_LE(distanceCumFreq[d + 1], x);
        ASSERT_GT(distanceCumFreq[d], x);
    }
}

TEST(Update, AddsOneToExactlyTheEntriesBelowTheCount)
{
    for (int count = 0; count <= 40; count++) {
        alignas(16) uint16_t wide[48], words[48];
        for (int j = 0; j < 48; j++) wide[j] = words[j] = uint16_t(1000 - j);
        addOneBelow(wide, count);
        addOneBelowByWords(words, count);
        for (int j = 0; j < 48; j++) {
            ASSERT_EQ(wide[j], 1000 - j + (j < count)) << "count " << count << ", entry " << j;
            ASSERT_EQ(words[j], wide[j]) << "count " << count << ", entry " << j;
        }
    }
}

}  // namespace
