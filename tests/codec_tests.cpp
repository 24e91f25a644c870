// The codec: the container's fields, a known vector, round trips, damaged
// streams, and the pinned container, which holds the coder, the models and
// the match finder to their every bit.
#include <gtest/gtest.h>

#include "codec_support.h"
#include "crc32.h"
#include "lzari_decode_steps.h"
#include "program_bytes.h"  // fileBytes

namespace {

const FILETIME someTime = {0x89ABCDEFu, 0x01D904E5u};

// A decode's version and time stamp, as one comparable text.
std::string stateText(int32_t version, FILETIME time)
{
    return "version " + std::to_string(version) + ", time " + std::to_string(time.dwHighDateTime) + ":" +
           std::to_string(time.dwLowDateTime);
}

Bytes prefix(const Bytes& bytes, size_t size) { return Bytes(bytes.begin(), bytes.begin() + long(size)); }

// Each decode says its own container's version (-1 for neither magic) and
// time stamp (zero without a whole trailer), whatever was decoded before.
TEST(Codec, ContainersGiveTheirVersionAndTimeAndDecodeToTheirLength)
{
    Bytes text = textBytes(5000, 1), v0 = encode(text), v1 = asVersion1(v0, someTime);
    Bytes upper = v0, empty0 = encode({}), empty1 = asVersion1(empty0, someTime);
    memcpy(upper.data(), "LZAR", 4);
    ASSERT_EQ(empty0, Bytes({'L', 'Z', 'a', 'r', 0, 0, 0, 0}));
    struct Row {
        std::string what;
        Bytes container;
        int32_t version;
        FILETIME time;
        bool decodes;
    };
    std::vector<Row> rows = {
        {"version 0", v0, 0, {0, 0}, true},
        {"version 1", v1, 1, someTime, true},
        {"upper-case magic (decoded, but neither version)", upper, -1, {0, 0}, true},
        {"empty version 0", empty0, 0, {0, 0}, false},
        {"empty version 1", empty1, 1, someTime, false},
        {"magic 'LZa' cut short", bytesOf("LZa"), -1, {0, 0}, false},
    };
    for (const char* magic : {"LZa!", "PK\3\4", "lzbr", "\0\0\0\0"}) {
        rows.push_back({std::string("magic ") + magic, v0, -1, {0, 0}, false});
        memcpy(rows.back().container.data(), magic, 4);
    }
    for (size_t size = 4; size < 8; size++) rows.push_back({"version 0 cut short", prefix(v0, size), 0, {0, 0}, false});
    for (size_t size = 4; size < 16; size++) rows.push_back({"version 1 cut short", prefix(v1, size), 1, {0, 0}, false});

    for (const Row& row : rows) {
        SCOPED_TRACE(row.what + ", " + std::to_string(row.container.size()) + " bytes");
        decode(v1);  // what came before has no say
        Decoded decoded = decode(row.container);
        EXPECT_EQ(decoded.decoded, row.decodes);
        EXPECT_EQ(firstDifference(row.decodes ? text : Bytes(), decoded.bytes), "equal");
        EXPECT_EQ(stateText(decoded.version, decoded.fileTime), stateText(row.version, row.time));
    }
}

// "abc", and 100 spaces, which begin with a match reaching 60 bytes back
// into the spaces before the start.
TEST(Codec, KnownVectorsBothWays)
{
    const std::pair<Bytes, Bytes> vectors[] = {
        {bytesOf("abc"), {0x4C, 0x5A, 0x61, 0x72, 0xB0, 0xA8, 0xC2, 0x00, 0x03, 0x00, 0x00, 0x00}},
        {Bytes(100, ' '), {0x4C, 0x5A, 0x61, 0x72, 0x00, 0xBD, 0x9F, 0x39, 0xA0, 0x64, 0x00, 0x00, 0x00}}};
    for (const auto& [input, container] : vectors) {
        EXPECT_EQ(encode(input), container);
        EXPECT_EQ(decode(container).bytes, input);
    }
}

// The decoder divides by the symbol model's total and by the narrowed range
// with their reciprocals: one correction step with a 32-bit reciprocal (the
// 32-bit program's way, the Word32 variant's), none with a 64-bit one. Each
// gives the format's quotient for every 32-bit dividend: those next to the
// multiples of the divisor, where a quotient one short would show, and the
// largest; for every total and every range (1 .. 2^17) at their edges.
TEST(Codec, DivisionByAReciprocalIsExact)
{
    std::mt19937 generator(7);
    for (uint32_t divisor : {1u, 2u, 3u, 314u, 315u, 1000u, 4096u, 12345u, 0x7FFEu, 0x7FFFu, 0x8000u, 0xFFFFu, 0x10001u,
                             0x1FFFFu, 0x20000u}) {
        std::vector<uint32_t> dividends = {0, 1, divisor - 1, divisor, UINT32_MAX, UINT32_MAX - UINT32_MAX % divisor,
                                           UINT32_MAX - UINT32_MAX % divisor - 1};
        for (int k = 0; k < 2000; k++) {
            uint32_t multiple = divisor * (generator() % (UINT32_MAX / divisor));
            dividends.insert(dividends.end(), {multiple, multiple - 1, multiple + divisor - 1, uint32_t(generator())});
        }
        RangeCoder coder;
        noteNarrowedRange(coder, divisor);
        for (uint32_t x : dividends) {
            ASSERT_EQ(divideByNarrowedRange(x, coder), x / divisor) << x << " / the range " << divisor;
            // (A total is never 1, which the 64-bit reciprocal cannot hold.)
            if (divisor > 1) {
                ASSERT_EQ(divideByReciprocal(x, divisor, reciprocalOf(divisor)), x / divisor) << x << " / " << divisor;
            }
        }
    }
}

// Every input comes back whole from both parses, and its stream is read
// exactly to one or two bytes into the length field, as every well-formed
// stream is. The best parse is never the larger.
TEST(Codec, RoundTrips)
{
    std::vector<std::pair<std::string, Bytes>> inputs = {{"empty", {}}, {"a megabyte of one byte", Bytes(1 << 20, 0xAA)},
                                                         {"5 MB random", randomBytes(5 << 20, 24)}};
    for (size_t size = 1; size <= 130; size++) {
        inputs.push_back({"random " + std::to_string(size), randomBytes(size, uint32_t(size))});
        inputs.push_back({"text " + std::to_string(size), textBytes(size, uint32_t(size))});
        inputs.push_back({"spaces " + std::to_string(size), Bytes(size, ' ')});
    }
    Bytes first = encode(bytesOf("xyzxy"));
    for (const auto& [what, input] : inputs) {
        // (The best parse of the 5 MB would only cost the sanitized build time.)
        Bytes standard = encode(input), best = input.size() > (1 << 20) ? standard : encodeBest(input);
        EXPECT_LE(best.size(), standard.size()) << what;
        for (const Bytes& container : {standard, best}) {
            ASSERT_EQ(readLittleEndian32(&container[container.size() - 4]), input.size()) << what;
            Decoded decoded = decode(container);
            EXPECT_EQ(decoded.decoded, !input.empty()) << what;
            EXPECT_EQ(firstDifference(input, decoded.bytes), "equal") << what;
            uint32_t end = decoded.endOfReading, lengthField = uint32_t(container.size()) - 4;
            EXPECT_TRUE(input.empty() || (decoded.consumedExactly && end - lengthField <= 2)) << what << ": " << end;
        }
    }
    EXPECT_EQ(encode(bytesOf("xyzxy")), first) << "the output depends on the input alone, whatever ran before";
    // Incompressible data grows a little (the output area grows past its
    // first size), and the most compressible stays within the length bound.
    size_t packed = encode(randomBytes(1000000, 32)).size();
    EXPECT_TRUE(packed > 1001024 && packed < 1003000) << packed;
    PayloadFields fields;
    Bytes run = encode(inputs[1].second);
    ASSERT_TRUE(readPayloadFields(run.data(), uint32_t(run.size()), &fields));
    EXPECT_LE(fields.decodedLength, payloadLengthBound(fields.streamSize));
    EXPECT_LT(payloadLengthBound(100), 0xFFFFFFFFu) << "a 4 GB length in a small container is refused";
}

// The best parse: matches reach as far back as the format allows (4096
// bytes, where the standard encoder stops at 4036), and its container of
// the pinned input is pinned too, by size and CRC: the same bytes on every
// machine, and any change to the parse is seen.
TEST(Codec, BestParseReachesTheWholeWindowAndIsPinned)
{
    Bytes block = randomBytes(4096, 5), twice = block, past = randomBytes(4097, 6), pastTwice = past;
    twice.insert(twice.end(), block.begin(), block.end());
    pastTwice.insert(pastTwice.end(), past.begin(), past.end());
    const struct {
        const char* what;
        Bytes input;
        size_t smallest, largest;  // the best container's size
    } rows[] = {
        {"4096 random bytes twice: the copy 4096 back", twice, 4300, 4450},
        {"4097 random bytes twice: no copy in reach", pastTwice, 8200, 8300},
    };
    for (const auto& row : rows) {
        Bytes best = encodeBest(row.input);
        EXPECT_TRUE(best.size() >= row.smallest && best.size() <= row.largest) << row.what << ": " << best.size();
        EXPECT_EQ(firstDifference(row.input, decode(best).bytes), "equal") << row.what;
    }
    Bytes input = fileBytes(LZARI_TEST_DATA "/mixed-300k.bin"), best = encodeBest(input);
    EXPECT_EQ(best.size(), 163906u) << "was " << encode(input).size() << " with the standard parse";
    EXPECT_EQ(crc32Update(0, best.data(), best.size()), 3326036014u);
    EXPECT_EQ(firstDifference(input, decode(best).bytes), "equal");
}

// A damaged stream still decodes to exactly its length, reads nothing
// outside its container (the sanitized build watches) and is told apart
// from a well-formed one.
TEST(Codec, DamagedStreamsStayInBounds)
{
    Bytes input = textBytes(30000, 7), container = encode(input);
    for (size_t cut = 8; cut < container.size(); cut += 97) {
        Bytes truncated = prefix(container, cut);
        writeLittleEndian32(&truncated[cut - 4], uint32_t(input.size()));  // a believable length
        Decoded decoded = decode(truncated);
        EXPECT_EQ(decoded.bytes.size(), input.size()) << "cut at " << cut;
        EXPECT_FALSE(decoded.consumedExactly) << "cut at " << cut;
    }
    for (size_t flip = 4; flip + 4 < container.size(); flip += 211) {
        Bytes damaged = container;
        damaged[flip] ^= 0x10;
        EXPECT_EQ(decode(damaged).bytes.size(), input.size()) << "flip at " << flip;
    }
}

// The products' payloads were made by this encoder and are read by this
// decoder, so no change to either may change a bit of the stream. The
// committed container was made by the first, plain implementation from
// 300 KB shaped like a program's payloads (code-like records, tables,
// padding, text, noise and repeats).
TEST(Codec, PinnedContainerIsWrittenAndReadBitForBit)
{
    Bytes input = fileBytes(LZARI_TEST_DATA "/mixed-300k.bin"), container = fileBytes(LZARI_TEST_DATA "/mixed-300k.lz");
    ASSERT_EQ(input.size() * 1000 + container.size(), 300166231u) << "missing or changed in " LZARI_TEST_DATA;
    EXPECT_EQ(firstDifference(container, encode(input)), "equal");
    for (int path = lzariPlainPath; path <= lzariBestDecodePath(); path++) {  // every path the processor takes
        Decoded decoded = decode(container, LzariDecodePath(path));
        EXPECT_EQ(firstDifference(input, decoded.bytes), "equal") << "path " << path;
        EXPECT_TRUE(decoded.consumedExactly);
    }
}

}  // namespace
