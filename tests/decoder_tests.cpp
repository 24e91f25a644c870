// The decoder on known streams, hand-made streams and damaged ones.
#include <gtest/gtest.h>

#include <cstring>

#include "codec_support.h"

namespace {

const Bytes abcContainer = {0x4C, 0x5A, 0x61, 0x72, 0xB0, 0xA8, 0xC2, 0x00, 0x03, 0x00, 0x00, 0x00};

TEST(Decoder, KnownAbcVector)
{
    Decoded decoded = decode(abcContainer);
    ASSERT_TRUE(decoded.decoded);
    EXPECT_EQ(decoded.bytes, bytesOf("abc"));
    EXPECT_EQ(payloadFormatVersion, 0);
    EXPECT_EQ(codedSymbols(abcContainer), (std::vector<CodedSymbol>{literal('a'), literal('b'), literal('c')}));
}

TEST(Decoder, RingStartsWithSpacesBeforeTheFirstByte)
{
    Bytes container = containerOfSymbols({match(60, 0)}, 60);
    Decoded decoded = decode(container);
    EXPECT_EQ(decoded.bytes, Bytes(60, ' '));
    EXPECT_TRUE(lzariDecodeConsumedExactly());
}

TEST(Decoder, OverlappingMatchRepeatsTheBytesItProduces)
{
    Decoded decoded = decode(containerOfSymbols({literal('q'), match(60, 0)}, 61));
    EXPECT_EQ(decoded.bytes, Bytes(61, 'q'));

    decoded = decode(containerOfSymbols({literal('a'), literal('b'), match(7, 1)}, 9));
    EXPECT_EQ(decoded.bytes, bytesOf("ababababa"));
}

TEST(Decoder, DistancesReachTheWholeRing)
{
    // The encoder never sends codes above 4035, but the decoder accepts all
    // 4096: code 4095 reaches 4096 bytes back, the ring's oldest byte.
    std::vector<CodedSymbol> symbols;
    for (int i = 0; i < 4096; i++) symbols.push_back(literal(i * 7 & 0xFF));
    symbols.push_back(match(3, 4095));
    Decoded decoded = decode(containerOfSymbols(symbols, 4099));
    ASSERT_EQ(decoded.bytes.size(), 4099u);
    EXPECT_EQ(decoded.bytes[4096], decoded.bytes[0]);
    EXPECT_EQ(decoded.bytes[4098], decoded.bytes[2]);
}

TEST(Decoder, WellFormedStreamEndsOneOrTwoBytesIntoTheLength)
{
    for (uint32_t seed = 0; seed < 40; seed++) {
        Bytes input = seed % 2 ? textBytes(seed * 97 + 1, seed) : randomBytes(seed * 61 + 1, seed);
        Bytes container = encode(input);
        Decoded decoded = decode(container);
        ASSERT_EQ(firstDifference(input, decoded.bytes), "equal") << seed;
        uint32_t lengthField = uint32_t(container.size()) - 4;
        uint32_t end = lzariDecodeEndOfReading();
        EXPECT_TRUE(end == lengthField + 1 || end == lengthField + 2) << seed << ": read to " << end;
        EXPECT_TRUE(lzariDecodeConsumedExactly()) << seed;
    }
}

TEST(Decoder, WrongStreamMagicYieldsNothing)
{
    // "LzaR" passes the classification but the stream's own magic is read
    // again; a case-insensitive mismatch there refuses the container.
    Bytes container = containerOfSymbols({literal('x')}, 1);
    memcpy(container.data(), "LZbr", 4);
    EXPECT_FALSE(decode(container).decoded);
}

// A damaged stream still decodes to exactly its length, reads nothing
// outside the container and writes nothing past the length. (The sanitized
// build runs this too, so a stray access would be caught there.)
TEST(Decoder, DamagedStreamsStayInBounds)
{
    Bytes input = textBytes(30000, 7);
    Bytes container = encode(input);
    for (size_t cut = 8; cut < container.size(); cut += 97) {
        Bytes truncated(container.begin(), container.begin() + long(cut));
        writeLittleEndian32(&truncated[cut - 4], uint32_t(input.size()));  // keep a believable length
        Decoded decoded = decode(truncated);
        ASSERT_TRUE(decoded.decoded);
        EXPECT_EQ(decoded.bytes.size(), input.size());
        EXPECT_FALSE(lzariDecodeConsumedExactly()) << "cut at " << cut;
    }
    for (size_t flip = 4; flip + 4 < container.size(); flip += 211) {
        Bytes damaged = container;
        damaged[flip] ^= 0x10;
        Decoded decoded = decode(damaged);
        EXPECT_EQ(decoded.bytes.size(), input.size()) << "flip at " << flip;
    }
}

TEST(Decoder, LengthFieldLargerThanTheStreamIsFilledFromZeroBits)
{
    Bytes container = encode(bytesOf("short"));
    writeLittleEndian32(&container[container.size() - 4], 100000);
    Decoded decoded = decode(container);
    ASSERT_TRUE(decoded.decoded);
    EXPECT_EQ(decoded.bytes.size(), 100000u);
    EXPECT_EQ(memcmp(decoded.bytes.data(), "short", 5), 0);
    EXPECT_FALSE(lzariDecodeConsumedExactly());
}

}  // namespace
