// Pins the coded stream bit for bit. The products' payloads were made by
// this encoder and must be read by this decoder, so no rewrite of either
// for speed may change a single bit. The committed container was made by
// the first, plain implementation; both directions are compared with it.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>

#include "codec_support.h"

namespace {

const char* const pinnedContainer = LZARI_TEST_DATA "/mixed-300k.lz";

Bytes pinnedInput() { return mixedBytes(300000, 2024); }

Bytes readPinned()
{
    std::ifstream in(pinnedContainer, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

TEST(StreamFormatPin, EncoderWritesThePinnedContainer)
{
    // Set LZARI_WRITE_PINNED=1 only when the pinned data itself changes
    // (never for a change to the codec): it rewrites the file.
    if (getenv("LZARI_WRITE_PINNED")) {
        Bytes container = encode(pinnedInput());
        std::ofstream(pinnedContainer, std::ios::binary)
            .write(reinterpret_cast<const char*>(container.data()), long(container.size()));
    }
    Bytes pinned = readPinned();
    ASSERT_FALSE(pinned.empty()) << "missing " << pinnedContainer;
    EXPECT_EQ(firstDifference(pinned, encode(pinnedInput())), "equal");
}

TEST(StreamFormatPin, DecoderReadsThePinnedContainer)
{
    Decoded decoded = decode(readPinned());
    EXPECT_EQ(firstDifference(pinnedInput(), decoded.bytes), "equal");
    EXPECT_TRUE(lzariDecodeConsumedExactly());
}

}  // namespace
