#include "lzari_model.h"

uint16_t distanceCumFreq[distanceCount + 1];
uint16_t distanceOfTarget[distanceTotal];

namespace {

// The distance model never changes: built once, as the program starts.
bool buildDistanceModel()
{
    distanceCumFreq[distanceCount] = 0;
    for (int i = distanceCount; i >= 1; i--)
        distanceCumFreq[i - 1] = uint16_t(distanceCumFreq[i] + distanceWeight / (i + 200));
    for (int d = 0; d < distanceCount; d++)
        for (uint32_t target = distanceCumFreq[d + 1]; target < distanceCumFreq[d]; target++)
            distanceOfTarget[target] = uint16_t(d);
    return true;
}
const bool distanceModelBuilt = buildDistanceModel();

// Derives the cumulative parts and the blocks' last frequencies from the
// frequencies.
void sumFrequencies(SymbolModel& m)
{
    unsigned later = 0;  // sum over the blocks after the current one
    for (int b = modelBlocks - 1; b >= 0; b--) {
        m.blockCumFreq[b] = uint16_t(later);
        m.blockLastFreq[b] = m.symbolFreq[8 * b + 7];
        unsigned inBlock = 0;
        for (int i = 8 * b + 7; i >= 8 * b; i--) {
            m.cumFreqInBlock[i] = uint16_t(inBlock);
            inBlock += m.symbolFreq[i];
        }
        later += inBlock;
    }
}

}  // namespace

// Every code starts with frequency 1: code k at symbol index k + 1.
void resetModel(SymbolModel& m)
{
    for (int s = 1; s <= codeCount; s++) {
        m.symbolOfChar[s - 1] = int16_t(s);
        m.charOfSymbol[s] = int16_t(s - 1);
    }
    m.charOfSymbol[0] = 0;
    for (int i = 0; i < modelEntries; i++) m.symbolFreq[i] = i >= 1 && i <= codeCount ? 1 : 0;
    sumFrequencies(m);
}

// Halves every frequency, rounding up so that none falls to 0; the order of
// the symbols stays as it was.
void halveModel(SymbolModel& m)
{
    for (int i = 1; i <= codeCount; i++) m.symbolFreq[i] = uint16_t((m.symbolFreq[i] + 1) >> 1);
    sumFrequencies(m);
}
