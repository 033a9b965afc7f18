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

}  // namespace
}  // namespace proto
