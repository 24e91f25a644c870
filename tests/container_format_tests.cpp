// The container: magics, versions, time stamps, lengths and refusals.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "codec_support.h"

namespace {

const FILETIME someTime = {0x89ABCDEFu, 0x01D904E5u};
const FILETIME otherTime = {0x11111111u, 0x02222222u};

// Puts the decoder's process-wide values into a known state.
void setLastDecode(int32_t version, FILETIME time)
{
    payloadFormatVersion = version;
    payloadFileTime = time;
}

void expectLastDecode(int32_t version, FILETIME time)
{
    EXPECT_EQ(payloadFormatVersion, version);
    EXPECT_EQ(payloadFileTime.dwLowDateTime, time.dwLowDateTime);
    EXPECT_EQ(payloadFileTime.dwHighDateTime, time.dwHighDateTime);
}

TEST(ContainerFormat, EncoderWritesVersion0EndingInTheLength)
{
    Bytes input = textBytes(5000, 1);
    Bytes container = encode(input);
    ASSERT_GE(container.size(), 8u);
    EXPECT_EQ(memcmp(container.data(), "LZar", 4), 0);
    EXPECT_EQ(readLittleEndian32(&container[container.size() - 4]), 5000u);

    setLastDecode(1, someTime);
    Decoded decoded = decode(container);
    EXPECT_EQ(firstDifference(input, decoded.bytes), "equal");
    expectLastDecode(0, someTime);  // version 0 carries no time stamp
}

TEST(ContainerFormat, Version1CarriesItsTimeStampAndDecodesTheSame)
{
    Bytes input = textBytes(3487, 2);
    Bytes container = asVersion1(encode(input), someTime);
    setLastDecode(0, otherTime);
    Decoded decoded = decode(container);
    EXPECT_EQ(firstDifference(input, decoded.bytes), "equal");
    expectLastDecode(1, someTime);
    EXPECT_TRUE(lzariDecodeConsumedExactly());
}

TEST(ContainerFormat, SmallestContainersAreEmptyFiles)
{
    Bytes empty0 = encode({});
    EXPECT_EQ(empty0, Bytes({'L', 'Z', 'a', 'r', 0, 0, 0, 0}));
    Bytes empty1 = asVersion1(empty0, someTime);
    ASSERT_EQ(empty1.size(), 16u);

    setLastDecode(0, otherTime);
    Decoded decoded = decode(empty1);
    EXPECT_FALSE(decoded.decoded);  // a length of 0 yields no buffer...
    expectLastDecode(1, someTime);  // ...but the version and stamp are set
    decoded = decode(empty0);
    EXPECT_FALSE(decoded.decoded);
    expectLastDecode(0, someTime);
}

TEST(ContainerFormat, UpperCaseMagicDecodesWithoutTouchingVersionOrStamp)
{
    Bytes input = bytesOf("upper-case magic, still a stream");
    Bytes container = encode(input);
    memcpy(container.data(), "LZAR", 4);
    setLastDecode(1, someTime);
    Decoded decoded = decode(container);
    EXPECT_EQ(firstDifference(input, decoded.bytes), "equal");
    expectLastDecode(1, someTime);

    // In a fresh process the values are zero, and stay so.
    setLastDecode(0, FILETIME{0, 0});
    decode(container);
    expectLastDecode(0, FILETIME{0, 0});
}

TEST(ContainerFormat, UnknownMagicYieldsNothingAndChangesNothing)
{
    Bytes container = encode(bytesOf("some bytes"));
    for (const char* magic : {"LZa!", "PK\3\4", "lzbr", "\0\0\0\0"}) {
        memcpy(container.data(), magic, 4);
        setLastDecode(1, someTime);
        EXPECT_FALSE(decode(container).decoded) << magic;
        expectLastDecode(1, someTime);
    }
}

// Each short container is copied into a block of exactly its size, so that
// a read past it is a read past a heap block (caught under AddressSanitizer).
Decoded decodeExactBlock(const Bytes& container)
{
    std::unique_ptr<uint8_t[]> block(new uint8_t[container.size() + 1]);
    if (!container.empty()) memcpy(block.get(), container.data(), container.size());
    BufferResult result = lzariDecode(block.get(), uint32_t(container.size()));
    Decoded decoded{result.data != nullptr, Bytes(result.data, result.data + result.size)};
    free(result.data);
    return decoded;
}

TEST(ContainerFormat, ContainersTooShortForTheirFieldsAreRefused)
{
    Bytes version0 = {'L', 'Z', 'a', 'r', 1, 0, 0, 0};
    Bytes version1 = asVersion1(version0, someTime);
    for (size_t size = 0; size < 8; size++) {
        setLastDecode(1, someTime);
        EXPECT_FALSE(decodeExactBlock(Bytes(version0.begin(), version0.begin() + size)).decoded) << size;
        if (size >= 4) {
            EXPECT_EQ(payloadFormatVersion, 0);  // the magic still classifies it
        }
    }
    for (size_t size = 4; size < 16; size++) {
        setLastDecode(0, someTime);
        EXPECT_FALSE(decodeExactBlock(Bytes(version1.begin(), version1.begin() + size)).decoded) << size;
        // No trailer: the stamp of an earlier file must not pass for this one.
        expectLastDecode(1, FILETIME{0, 0});
    }
    setLastDecode(1, someTime);
    EXPECT_FALSE(decodeExactBlock(Bytes{'L', 'Z', 'a'}).decoded);
    expectLastDecode(1, someTime);
}

TEST(ContainerFormat, FieldsAreReadFromBothEnds)
{
    Bytes container = asVersion1(encode(textBytes(632, 3)), someTime);
    PayloadFields fields;
    ASSERT_TRUE(readPayloadFields(container.data(), uint32_t(container.size()), &fields));
    EXPECT_EQ(fields.version, 1);
    EXPECT_EQ(fields.textLength, 632u);
    EXPECT_EQ(fields.streamSize, container.size() - 16);
    EXPECT_EQ(fields.fileTime.dwHighDateTime, someTime.dwHighDateTime);

    EXPECT_FALSE(readPayloadFields(container.data(), 15, &fields));
    container[1] = 'Z';  // "LZaR": neither magic
    EXPECT_FALSE(readPayloadFields(container.data(), uint32_t(container.size()), &fields));
    container[3] = 'r';  // "LZar": version 0, whole with 8 bytes
    EXPECT_TRUE(readPayloadFields(container.data(), 8, &fields));
    EXPECT_EQ(fields.version, 0);
}

TEST(ContainerFormat, LengthBoundHoldsForEveryHonestContainer)
{
    // The most compressible inputs there are: long runs, one byte value.
    for (size_t size : {1u, 61u, 4096u, 1u << 20}) {
        Bytes container = encode(Bytes(size, 'x'));
        PayloadFields fields;
        ASSERT_TRUE(readPayloadFields(container.data(), uint32_t(container.size()), &fields));
        EXPECT_LE(fields.textLength, payloadLengthBound(fields.streamSize)) << size;
    }
    EXPECT_LT(payloadLengthBound(100), 0xFFFFFFFFu) << "a 4 GB length in a small container is refused";
}

TEST(ContainerFormat, DecodingDependsOnTheContainerAlone)
{
    Bytes first = encode(textBytes(20000, 4));
    Bytes second = asVersion1(encode(randomBytes(7000, 5)), someTime);
    Bytes third = encode(Bytes(10000, 0));
    Decoded before = decode(first);
    decode(second);
    decode(third);
    Decoded after = decode(first);
    EXPECT_EQ(firstDifference(before.bytes, after.bytes), "equal");
}

}  // namespace
