// The arithmetic coder's widening, counted in leading bits, against the
// format's own loop that settles one bit at a time.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "lzari_state.h"

namespace {

struct BitByBit {
    uint32_t low, high, pending;
    std::string bits;  // as sent, pending bits included
};

// The format's loop, as the encoder runs it, on the interval [low, high).
BitByBit widenBitByBit(uint32_t low, uint32_t high, uint32_t pending)
{
    BitByBit result{low, high, pending, ""};
    auto emit = [&result](char bit) {
        result.bits += bit;
        for (; result.pending > 0; result.pending--) result.bits += bit == '0' ? '1' : '0';
    };
    for (;;) {
        if (result.high <= 0x10000) {
            emit('0');
        } else if (result.low >= 0x10000) {
            emit('1');
            result.low -= 0x10000;
            result.high -= 0x10000;
        } else if (result.low >= 0x8000 && result.high <= 0x18000) {
            result.pending++;
            result.low -= 0x8000;
            result.high -= 0x8000;
        } else {
            return result;
        }
        result.low *= 2;
        result.high *= 2;
    }
}

// The same through widenInterval, with the settled bits sent as the
// encoder sends them.
BitByBit widenByCounting(uint32_t low, uint32_t high, uint32_t pending)
{
    RangeCoder coder{low, high, 0, pending, 0, 0};
    Widening widening = widenInterval(coder);
    BitByBit result{coder.rangeLow, coder.rangeHigh, pending, ""};
    for (int i = widening.settled - 1; i >= 0; i--) {
        char bit = (widening.settledBits >> i) & 1 ? '1' : '0';
        result.bits += bit;
        if (i == widening.settled - 1)
            for (; result.pending > 0; result.pending--) result.bits += bit == '0' ? '1' : '0';
    }
    result.pending += uint32_t(widening.straddled);
    return result;
}

void expectSameWidening(uint32_t low, uint32_t high, uint32_t pending)
{
    BitByBit expected = widenBitByBit(low, high, pending);
    BitByBit actual = widenByCounting(low, high, pending);
    ASSERT_EQ(actual.low, expected.low) << "low " << low << ", high " << high;
    ASSERT_EQ(actual.high, expected.high) << "low " << low << ", high " << high;
    ASSERT_EQ(actual.pending, expected.pending) << "low " << low << ", high " << high;
    ASSERT_EQ(actual.bits, expected.bits) << "low " << low << ", high " << high;
}

TEST(Widening, MatchesTheBitByBitLoopOnEveryKindOfInterval)
{
    // Narrow intervals anywhere, wide ones, the edges of the quarters, and
    // pending bits owed from before.
    const uint32_t edges[] = {0, 1, 0x7FFF, 0x8000, 0x8001, 0xFFFF, 0x10000, 0x10001, 0x17FFF, 0x18000, 0x18001,
                              0x1FFFF, 0x20000};
    for (uint32_t low : edges)
        for (uint32_t high : edges)
            if (low < high) expectSameWidening(low, high, 0);

    std::mt19937 generator(99);
    for (int trial = 0; trial < 2000000; trial++) {
        uint32_t low = generator() % 0x20000;
        uint32_t width = 1 + generator() % (trial % 2 ? 0x40 : 0x20000 - low);
        uint32_t high = low + std::min(width, 0x20000 - low);
        expectSameWidening(low, high, generator() % 4 == 0 ? generator() % 40 : 0);
    }
}

}  // namespace
