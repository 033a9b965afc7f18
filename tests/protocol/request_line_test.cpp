#include <gtest/gtest.h>

#include "protocol/request_protocol.h"

namespace proto {
namespace {

TEST(RequestLine, BuildsWithAndWithoutArgument) {
    EXPECT_EQ(BuildRequest("gethostinfoex"), "gethostinfoex");
    EXPECT_EQ(BuildRequest("expand", "\\"), "expand:\\");
    EXPECT_EQ(BuildRequest("retrieve", "\\docs\\a.txt"), "retrieve:\\docs\\a.txt");
    EXPECT_EQ(BuildRequest("expand", ""), "expand:");
}

TEST(RequestLine, SplitsAtFirstColonOnly) {
    const auto root = SplitRequest("expand:\\");
    EXPECT_EQ(root.jobWord, "expand");
    EXPECT_EQ(root.argument, "\\");

    const auto colons = SplitRequest("retrieve:\\docs\\a:b.txt");
    EXPECT_EQ(colons.jobWord, "retrieve");
    EXPECT_EQ(colons.argument, "\\docs\\a:b.txt");

    const auto bare = SplitRequest("expand");
    EXPECT_EQ(bare.jobWord, "expand");
    EXPECT_EQ(bare.argument, "");

    const auto leading = SplitRequest(":x:y");
    EXPECT_EQ(leading.jobWord, "");
    EXPECT_EQ(leading.argument, "x:y");

    const auto empty = SplitRequest("");
    EXPECT_EQ(empty.jobWord, "");
    EXPECT_EQ(empty.argument, "");
}

TEST(RequestLine, SplitKeepsEmbeddedNulBytes) {
    const std::string line("expand:\\a\0b", 11);
    const auto split = SplitRequest(line);
    EXPECT_EQ(split.argument, std::string("\\a\0b", 4));
}

TEST(JobWords, ClassifiesInTableOrder) {
    EXPECT_EQ(ClassifyJobWord("ping"), JobType::Ping);
    EXPECT_EQ(ClassifyJobWord("pingpong"), JobType::Ping);
    EXPECT_EQ(ClassifyJobWord("expand"), JobType::Expand);
    EXPECT_EQ(ClassifyJobWord("retrieve"), JobType::Retrieve);
    EXPECT_EQ(ClassifyJobWord("gethostinfo"), JobType::GetHostInfo);
    EXPECT_EQ(ClassifyJobWord("gethostinfoex"), JobType::GetHostInfoEx);
    EXPECT_EQ(ClassifyJobWord("gethostinfoXYZ"), JobType::GetHostInfoEx);
    EXPECT_EQ(ClassifyJobWord("hostmodified"), JobType::HostModified);
}

TEST(JobWords, OnlyExactWordsOrTheTwoPrefixesMatch) {
    EXPECT_EQ(ClassifyJobWord("Expand"), JobType::Unknown);
    EXPECT_EQ(ClassifyJobWord("PING"), JobType::Unknown);
    EXPECT_EQ(ClassifyJobWord("pin"), JobType::Unknown);
    EXPECT_EQ(ClassifyJobWord("expandx"), JobType::Unknown);
    EXPECT_EQ(ClassifyJobWord("retrieve "), JobType::Unknown);
    EXPECT_EQ(ClassifyJobWord("gethostinf"), JobType::Unknown);
    EXPECT_EQ(ClassifyJobWord("hostmodifiedx"), JobType::Unknown);
    EXPECT_EQ(ClassifyJobWord(" ping"), JobType::Unknown);
    EXPECT_EQ(ClassifyJobWord(""), JobType::Unknown);
}

TEST(JobWords, JobTypeNumbersMatchTheWire) {
    EXPECT_EQ(static_cast<int>(JobType::Unknown), 0);
    EXPECT_EQ(static_cast<int>(JobType::Retrieve), 1);
    EXPECT_EQ(static_cast<int>(JobType::Ping), 2);
    EXPECT_EQ(static_cast<int>(JobType::Expand), 3);
    EXPECT_EQ(static_cast<int>(JobType::GetHostInfo), 4);
    EXPECT_EQ(static_cast<int>(JobType::GetHostInfoEx), 5);
    EXPECT_EQ(static_cast<int>(JobType::HostModified), 6);
}

TEST(JobWords, OnlyRetrieveIsAFileSend) {
    EXPECT_TRUE(IsFileSend(JobType::Retrieve));
    for (auto type : {JobType::Unknown, JobType::Ping, JobType::Expand, JobType::GetHostInfo,
                      JobType::GetHostInfoEx, JobType::HostModified}) {
        EXPECT_FALSE(IsFileSend(type)) << static_cast<int>(type);
    }
}

}  // namespace
}  // namespace proto
