// The encoder: its known vector, the match finder's choices as coded
// symbols, round trips and the size of its output.
#include <gtest/gtest.h>

#include <cstring>

#include "codec_support.h"

namespace {

TEST(Encoder, KnownAbcVector)
{
    EXPECT_EQ(encode(bytesOf("abc")),
              Bytes({0x4C, 0x5A, 0x61, 0x72, 0xB0, 0xA8, 0xC2, 0x00, 0x03, 0x00, 0x00, 0x00}));
}

TEST(MatchFinder, HundredSpacesStartWithAMatchReachingIntoTheFill)
{
    // The 60 strings before the start are all spaces; each replaces the one
    // before, so only the oldest, 60 bytes back, is left to match.
    std::vector<CodedSymbol> symbols = codedSymbols(encode(Bytes(100, ' ')));
    ASSERT_FALSE(symbols.empty());
    EXPECT_EQ(symbols[0], match(60, 59)) << describe(symbols);
}

TEST(MatchFinder, RunAtTheStartIsALiteralAndOneMatchOneBack)
{
    for (int n = 4; n <= 61; n++) {
        std::vector<CodedSymbol> symbols = codedSymbols(encode(Bytes(size_t(n), 'z')));
        EXPECT_EQ(symbols, (std::vector<CodedSymbol>{literal('z'), match(n - 1, 0)})) << "run of " << n;
    }
    // Longer runs go on in matches of 60.
    std::vector<CodedSymbol> symbols = codedSymbols(encode(Bytes(200, 'z')));
    EXPECT_EQ(symbols[1], match(60, 0)) << describe(symbols);
}

TEST(MatchFinder, RepeatedTripletIsOneMatchThreeBack)
{
    EXPECT_EQ(codedSymbols(encode(bytesOf("abcabcabca"))),
              (std::vector<CodedSymbol>{literal('a'), literal('b'), literal('c'), match(7, 2)}));
}

// The bytes of the second copy that are coded inside matches of the given
// distance code.
size_t secondCopyBytesMatchedAt(const std::vector<CodedSymbol>& symbols, size_t block, int distanceCode,
                                int* longestOther)
{
    size_t position = 0, matched = 0;
    *longestOther = 0;
    for (const CodedSymbol& symbol : symbols) {
        if (position >= block && symbol.isMatch) {
            if (symbol.distanceCode == distanceCode) matched += size_t(symbol.length);
            else *longestOther = std::max(*longestOther, symbol.length);
        }
        position += size_t(symbol.length);
    }
    return matched;
}

TEST(MatchFinder, HistoryReaches4036BytesBackAndNoFurther)
{
    Bytes block = randomBytes(4036, 11);
    Bytes twice = block;
    twice.insert(twice.end(), block.begin(), block.end());
    int longestOther;
    size_t matched = secondCopyBytesMatchedAt(codedSymbols(encode(twice)), 4036, 4035, &longestOther);
    EXPECT_EQ(matched, 4036u) << "the whole second copy is matches of distance 4036";

    block = randomBytes(4037, 12);
    twice = block;
    twice.insert(twice.end(), block.begin(), block.end());
    std::vector<CodedSymbol> symbols = codedSymbols(encode(twice));
    secondCopyBytesMatchedAt(symbols, 4037, -1, &longestOther);
    EXPECT_LE(longestOther, 4) << "only chance matches: " << describe(symbols);
    for (const CodedSymbol& symbol : symbols) {
        if (symbol.isMatch) {
            ASSERT_LE(symbol.distanceCode, 4035);
        }
    }
}

TEST(MatchFinder, OutputDependsOnTheInputAlone)
{
    Bytes shortInput = bytesOf("xyzxy");
    Bytes first = encode(shortInput);
    encode(randomBytes(5000, 13));  // leaves the ring full of other bytes
    EXPECT_EQ(encode(shortInput), first);
}

void expectRoundTrip(const Bytes& input, const std::string& what)
{
    Bytes container = encode(input);
    ASSERT_EQ(readLittleEndian32(&container[container.size() - 4]), input.size()) << what;
    Decoded decoded = decode(container);
    EXPECT_EQ(decoded.decoded, !input.empty()) << what;
    EXPECT_EQ(firstDifference(input, decoded.bytes), "equal") << what;
    if (!input.empty()) {
        EXPECT_TRUE(lzariDecodeConsumedExactly()) << what;
    }
}

TEST(RoundTrip, SmallInputs)
{
    expectRoundTrip({}, "empty");
    for (int byte : {0, int(' '), 0xFF}) expectRoundTrip(Bytes(1, uint8_t(byte)), "one byte " + std::to_string(byte));
    for (size_t size = 2; size <= 130; size++) {
        expectRoundTrip(randomBytes(size, uint32_t(size)), "random " + std::to_string(size));
        expectRoundTrip(textBytes(size, uint32_t(size)), "text " + std::to_string(size));
        expectRoundTrip(Bytes(size, ' '), "spaces " + std::to_string(size));
    }
}

TEST(RoundTrip, AssortedData)
{
    Bytes mixed = textBytes(50000, 21);
    Bytes noise = randomBytes(20000, 22);
    mixed.insert(mixed.end(), noise.begin(), noise.end());
    mixed.insert(mixed.end(), 70000, 0);
    Bytes sawtooth(100000);
    for (size_t i = 0; i < sawtooth.size(); i++) sawtooth[i] = uint8_t(i % 251);
    Bytes sparse = randomBytes(100000, 23);
    for (size_t i = 0; i < sparse.size(); i++)
        if (sparse[i] % 4) sparse[i] = 0;  // mostly zeros, like an executable's padding

    expectRoundTrip(mixed, "text, noise and zeros");
    expectRoundTrip(sawtooth, "period 251");
    expectRoundTrip(sparse, "sparse");
    expectRoundTrip(Bytes(1 << 20, 0xAA), "a megabyte of one byte");
}

TEST(RoundTrip, FiveMegabytesOfRandomBytes)
{
    expectRoundTrip(randomBytes(5 << 20, 24), "5 MB random");
}

TEST(OutputSize, IncompressibleInputGrowsSlightly)
{
    size_t packed = encode(randomBytes(40000, 31)).size();
    EXPECT_GT(packed, 40000u);
    EXPECT_LT(packed, 40400u);

    // Past about a megabyte the fixed area of input + 1024 bytes would be
    // too small; the output grows instead of running past it.
    packed = encode(randomBytes(1000000, 32)).size();
    EXPECT_GT(packed, 1001024u);
    EXPECT_LT(packed, 1003000u);
}

TEST(OutputSize, CompressibleDataShrinks)
{
    EXPECT_LT(encode(textBytes(100000, 41)).size(), 40000u);
    EXPECT_LT(encode(Bytes(100000, 0)).size(), 3000u);
}

}  // namespace
