// The adaptive symbol model and the fixed distance model: the tables both
// directions must keep in step, bit for bit.
#include <gtest/gtest.h>

#include <cstring>

#include "lzari_model.h"

namespace {

TEST(SymbolModel, StartsFlatWithCodeKAtIndexKPlus1)
{
    resetModel();
    EXPECT_EQ(symbolTotal(), 314u);
    EXPECT_EQ(symbolCumFreq(314), 0u);
    EXPECT_EQ(symbolFreq[0], 0);
    for (int code = 0; code < codeCount; code++) {
        EXPECT_EQ(symbolOfChar[code], code + 1);
        EXPECT_EQ(charOfSymbol[code + 1], code);
        EXPECT_EQ(symbolCumFreq(code + 1), uint32_t(314 - (code + 1)));
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
    EXPECT_EQ(symbolTotal(), 315u);
    EXPECT_EQ(symbolCumFreq(1), 313u) << "only entries below the symbol's index change";
}

// Checks the model's invariants: sorted frequencies, inverse permutations,
// and every cumulative frequency and block entry against a plain sum.
void expectModelConsistent()
{
    unsigned sum = 0;
    for (int i = codeCount; i >= 1; i--) {
        ASSERT_EQ(symbolCumFreq(i), sum) << "index " << i;
        ASSERT_GE(symbolFreq[i], 1);
        if (i > 1) {
            ASSERT_GE(symbolFreq[i - 1], symbolFreq[i]) << "index " << i;
        }
        ASSERT_EQ(symbolOfChar[charOfSymbol[i]], i);
        sum += symbolFreq[i];
    }
    ASSERT_EQ(symbolTotal(), sum);
    ASSERT_LE(sum, 32767u);
    for (int i = codeCount + 1; i < modelEntries; i++) ASSERT_EQ(symbolFreq[i], 0) << "padding " << i;
    for (int b = 0; b < modelBlocks; b++) ASSERT_EQ(blockLastFreq[b], symbolFreq[8 * b + 7]) << "block " << b;
}

TEST(SymbolModel, HalvesFirstAtThe32454thUpdate)
{
    resetModel();
    // The total grows by one per update from 314 and reaches the limit
    // after 32453 updates; the next update halves first.
    for (int update = 1; update <= 32453; update++) {
        adaptModel(symbolOfChar[update % 7]);
        ASSERT_EQ(symbolTotal(), 314u + update) << "update " << update;
    }
    EXPECT_EQ(symbolTotal(), 32767u);
    unsigned halvedTotal = 0;
    for (int i = 1; i <= codeCount; i++) halvedTotal += (symbolFreq[i] + 1u) / 2;
    adaptModel(symbolOfChar[0]);
    EXPECT_EQ(symbolTotal(), halvedTotal + 1) << "the 32454th update halved the model, then counted";
    expectModelConsistent();
    EXPECT_EQ(symbolFreq[codeCount], 1) << "a frequency of 1 stays 1";
}

// A skewed stream of codes: a few frequent ones and a scattered rest, as in
// real data, so that runs, swaps and halvings all happen.
int skewedCode(uint32_t* state)
{
    *state = *state * 1103515245 + 12345;
    return (*state >> 16) % 8 == 0 ? int((*state >> 8) % codeCount) : int((*state >> 20) % 3);
}

TEST(SymbolModel, StaysConsistentUnderSkewedUpdates)
{
    resetModel();
    uint32_t state = 12345;
    for (int update = 0; update < 200000; update++) adaptModel(symbolOfChar[skewedCode(&state)]);
    expectModelConsistent();
}

// The vector and the plain versions of the searches and of the update must
// give the same answers and leave the same tables.
TEST(SymbolModel, VectorAndPlainCodeAgree)
{
    struct Tables {
        int16_t ofChar[codeCount], ofSymbol[codeCount + 1];
        uint16_t freq[modelEntries], last[modelBlocks], blocks[modelBlocks], inBlock[modelEntries];
    };
    auto save = [](Tables* t) {
        memcpy(t->ofChar, symbolOfChar, sizeof t->ofChar);
        memcpy(t->ofSymbol, charOfSymbol, sizeof t->ofSymbol);
        memcpy(t->freq, symbolFreq, sizeof t->freq);
        memcpy(t->last, blockLastFreq, sizeof t->last);
        memcpy(t->blocks, blockCumFreq, sizeof t->blocks);
        memcpy(t->inBlock, cumFreqInBlock, sizeof t->inBlock);
    };
    resetModel();
    uint32_t state = 777;
    for (int update = 0; update < 60000; update++) {
        int symbol = symbolOfChar[skewedCode(&state)];
        ASSERT_EQ(runStart<true>(symbol), runStart<false>(symbol)) << "update " << update;
        uint32_t x = (state >> 3) % symbolTotal();
        ASSERT_EQ(findSymbol<true>(x), findSymbol<false>(x)) << "update " << update;

        Tables before, vector, plain;
        save(&before);
        adaptModel<true>(symbol);
        save(&vector);
        memcpy(symbolOfChar, before.ofChar, sizeof before.ofChar);
        memcpy(charOfSymbol, before.ofSymbol, sizeof before.ofSymbol);
        memcpy(symbolFreq, before.freq, sizeof before.freq);
        memcpy(blockLastFreq, before.last, sizeof before.last);
        memcpy(blockCumFreq, before.blocks, sizeof before.blocks);
        memcpy(cumFreqInBlock, before.inBlock, sizeof before.inBlock);
        adaptModel<false>(symbol);
        save(&plain);
        ASSERT_EQ(memcmp(&vector, &plain, sizeof vector), 0) << "update " << update;
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
    for (uint32_t x = 0; x < symbolTotal(); x++) {
        int s = findSymbol(x);
        ASSERT_LE(symbolCumFreq(s), x);
        ASSERT_GT(symbolCumFreq(s - 1), x);
    }
    for (unsigned x = 0; x < distanceCumFreq[0]; x++) {
        int d = distanceOfTarget[x];
        ASSERT_LE(distanceCumFreq[d + 1], x);
        ASSERT_GT(distanceCumFreq[d], x);
    }
}

}  // namespace
