// The lzari tool as a publisher uses it: the real binary, real files.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <string>

#include "codec_support.h"
#include "file_time_text.h"
#include "tool_fixture.h"

namespace {

TEST_F(LzariTool, PackV1WithTimeThenUnpackRestoresBytesAndTime)
{
    Bytes product = textBytes(130843, 51);
    spit("QRV.HLP", product);
    ASSERT_EQ(lzari("pack --v1 --time '2020-01-24 15:27:22' " + path("QRV.HLP") + " " + path("QRV.lz")).exitCode, 0);
    ASSERT_EQ(lzari("unpack " + path("QRV.lz") + " " + path("back")).exitCode, 0);
    EXPECT_EQ(firstDifference(product, read("back")), "equal");

    timespec restored = modificationTime(path("back"));
    EXPECT_EQ(restored.tv_sec, 1579879642);  // 2020-01-24 15:27:22 UTC
    EXPECT_EQ(restored.tv_nsec, 0);

    ToolRun info = lzari("info " + path("QRV.lz"));
    EXPECT_EQ(info.exitCode, 0);
    EXPECT_NE(info.out.find("version 1"), std::string::npos) << info.out;
    EXPECT_NE(info.out.find("unpacked 130843 bytes"), std::string::npos) << info.out;
    EXPECT_NE(info.out.find("time 2020-01-24 15:27:22 UTC"), std::string::npos) << info.out;
}

TEST_F(LzariTool, PackV1TakesTheFilesOwnTimeToTheTenthOfAMicrosecond)
{
    spit("in", textBytes(1000, 52));
    timespec times[2] = {{0, UTIME_OMIT}, {1369754868, 123456700}};  // 2013-05-28 15:27:48.1234567
    ASSERT_EQ(utimensat(AT_FDCWD, path("in").c_str(), times, 0), 0);
    ASSERT_EQ(lzari("pack --v1 " + path("in") + " " + path("in.lz")).exitCode, 0);
    ASSERT_EQ(lzari("unpack " + path("in.lz") + " " + path("out")).exitCode, 0);
    timespec restored = modificationTime(path("out"));
    EXPECT_EQ(restored.tv_sec, 1369754868);
    EXPECT_EQ(restored.tv_nsec, 123456700);
    EXPECT_NE(lzari("info " + path("in.lz")).out.find("2013-05-28 15:27:48.1234567 UTC"), std::string::npos);
}

TEST_F(LzariTool, PackWithoutV1WritesWhatTheEncoderWrites)
{
    Bytes product = randomBytes(5000, 53);
    spit("in", product);
    ASSERT_EQ(lzari("pack " + path("in") + " " + path("in.lz")).exitCode, 0);
    EXPECT_EQ(read("in.lz"), encode(product));
    ToolRun info = lzari("info " + path("in.lz"));
    EXPECT_NE(info.out.find("version 0"), std::string::npos) << info.out;
    EXPECT_NE(info.out.find("time none"), std::string::npos) << info.out;
}

TEST_F(LzariTool, EmptyFileRoundTrips)
{
    spit("empty", {});
    ASSERT_EQ(lzari("pack --v1 --time '2003-06-19 20:05:04' " + path("empty") + " " + path("e.lz")).exitCode, 0);
    EXPECT_EQ(read("e.lz").size(), 16u);
    ASSERT_EQ(lzari("unpack " + path("e.lz") + " " + path("e")).exitCode, 0);
    EXPECT_TRUE(read("e").empty());
    EXPECT_EQ(modificationTime(path("e")).tv_sec, 1056053104);
}

TEST_F(LzariTool, InfoDescribesEachFileAndReportsEachBadOne)
{
    spit("a", textBytes(3487, 54));
    lzari("pack --v1 --time '2019-07-19 16:03:16' " + path("a") + " " + path("a.lz"));
    ToolRun run = lzari("info " + path("a.lz") + " " + path("missing") + " " + path("a"));
    EXPECT_NE(run.exitCode, 0);
    EXPECT_NE(run.out.find("a.lz: version 1"), std::string::npos) << run.out;
    EXPECT_NE(run.err.find("missing"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("not an LZARI container"), std::string::npos) << run.err;
}

TEST_F(LzariTool, BadInputIsOneClearLineAndNoOutput)
{
    Bytes product = textBytes(20000, 55);
    spit("in", product);
    lzari("pack --v1 --time '2022-11-30 18:49:42' " + path("in") + " " + path("good.lz"));
    Bytes good = read("good.lz");

    expectFailure("unpack " + path("nothing-here") + " " + path("out"), "nothing-here");
    expectFailure("unpack " + path("in") + " " + path("out"), "not an LZARI container");

    spit("short.lz", Bytes(good.begin(), good.begin() + 12));
    expectFailure("unpack " + path("short.lz") + " " + path("out"), "not an LZARI container");

    Bytes truncated(good.begin(), good.begin() + long(good.size() / 2));
    Bytes tail(good.end() - 12, good.end());
    truncated.insert(truncated.end(), tail.begin(), tail.end());  // keep the fields, lose half the stream
    spit("truncated.lz", truncated);
    expectFailure("unpack " + path("truncated.lz") + " " + path("out"), "damaged or truncated");

    Bytes huge = good;
    writeLittleEndian32(&huge[huge.size() - 12], 0xFFFFFFFFu);
    spit("huge.lz", huge);
    expectFailure("unpack " + path("huge.lz") + " " + path("out"), "length field");

    expectFailure("pack --v1 --time '2022-02-30 00:00:00' " + path("in") + " " + path("out"), "bad time");
    expectFailure("pack --v1 --time 'yesterday' " + path("in") + " " + path("out"), "bad time");
    expectFailure("pack " + path("in") + " " + path("no-such-folder/out"), "no-such-folder/out");
    EXPECT_EQ(listing(), "good.lz huge.lz in short.lz truncated.lz ") << "no output and no temporary left";
}

TEST_F(LzariTool, FailedWriteLeavesTheOldFileWhole)
{
    spit("in", textBytes(1000, 56));
    spit("out", bytesOf("the old file"));
    spit("bad.lz", bytesOf("LzaR but nothing else that makes sense"));
    expectFailure("unpack " + path("bad.lz") + " " + path("out"), "bad.lz");
    EXPECT_EQ(read("out"), bytesOf("the old file"));
}

TEST_F(LzariTool, UsageErrorsFail)
{
    EXPECT_NE(lzari("").exitCode, 0);
    EXPECT_NE(lzari("pack onlyone").exitCode, 0);
    EXPECT_NE(lzari("pack --time '2020-01-01 00:00:00' a b").exitCode, 0) << "--time needs --v1";
    EXPECT_NE(lzari("info").exitCode, 0);
}

TEST(FileTimeText, ParsesAndFormatsUtcStamps)
{
    std::optional<FILETIME> time = parseFileTime("2022-11-30 18:49:42");
    ASSERT_TRUE(time);
    EXPECT_EQ(fileTimeValue(*time), 133143077820000000u);
    EXPECT_EQ(formatFileTime(*time), "2022-11-30 18:49:42");
    EXPECT_EQ(formatFileTime(fileTimeOf(0)), "1601-01-01 00:00:00");
    EXPECT_EQ(formatFileTime(fileTimeOf(1)), "1601-01-01 00:00:00.0000001");
    EXPECT_EQ(fileTimeValue(*parseFileTime("2000-02-29 23:59:59")) + 10000000, fileTimeValue(*parseFileTime("2000-03-01 00:00:00")));
    for (const char* bad : {"2021-02-29 00:00:00", "1600-12-31 23:59:59", "2022-11-30 24:00:00", "2022-11-30T18:49:42",
                            "2022-+1-30 18:49:42", "2022-11-30 18:49:42 ", ""})
        EXPECT_FALSE(parseFileTime(bad)) << bad;
}

}  // namespace
