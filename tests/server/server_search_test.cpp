// "wdx-search" answered by the share server from its index: patterns, the cap with the count of
// the rest, a share changed after the index was built, and requests no honest client sends.
#include <gtest/gtest.h>

#include "protocol/search_reply.h"
#include "server_test_support.h"

namespace server_test {
namespace {

class ServerSearchTest : public ServerTest {
protected:
    // The parsed reply to one search; fails the test when the reply is not one.
    proto::SearchReply Search(const std::string& pattern) {
        const net::UniqueSocket socket = Send("wdx-search:" + pattern);
        std::string payload;
        EXPECT_TRUE(net::ReceiveString(socket.get(), payload, nullptr, 64 << 20)) << pattern;
        proto::SearchReply reply;
        EXPECT_TRUE(proto::ParseSearchReply(payload, reply)) << payload.substr(0, 100);
        return reply;
    }
    std::vector<std::string> Paths(const std::string& pattern) {
        std::vector<std::string> paths;
        for (const auto& hit : Search(pattern).hits) paths.push_back(hit.path);
        std::sort(paths.begin(), paths.end());
        return paths;
    }
};

TEST_F(ServerSearchTest, SubstringsAndPatternsFindNamesInsideTheShareOnly) {
    Start();
    EXPECT_NE(Ask("wdx-words").find("wdx-search\n"), std::string::npos);

    const auto deep = Search("DEEP");
    ASSERT_EQ(deep.hits.size(), 1u);
    EXPECT_EQ(deep.hits[0].path, "\\music\\sub\\deep.txt");
    EXPECT_EQ(deep.hits[0].size, 6);
    EXPECT_FALSE(deep.hits[0].folder);
    EXPECT_GT(deep.hits[0].modified, 1'600'000'000);
    EXPECT_EQ(deep.leftOut, 0u);

    // A link to a file inside the share is found like the file; links outside are not.
    EXPECT_EQ(Paths("*.txt"),
              (std::vector<std::string>{"\\music\\a.txt", "\\music\\sub\\deep.txt"}));
    EXPECT_EQ(Paths("link_?n"), std::vector<std::string>{"\\music\\sub\\link_in"});
    EXPECT_TRUE(Paths("secret").empty());
    EXPECT_TRUE(Paths("link_out").empty());
    EXPECT_EQ(Paths("su?"), std::vector<std::string>{"\\music\\sub"});
    EXPECT_TRUE(Search("sub").hits[0].folder);
    // A name with a backslash cannot travel and is not indexed.
    EXPECT_TRUE(Paths("slash").empty());
    // Patterns no name is: empty, too long, a zero byte.
    EXPECT_TRUE(Paths("").empty());
    EXPECT_TRUE(Paths(std::string(proto::kMaxSearchPatternLength + 1, '*')).empty());
    EXPECT_TRUE(Paths(std::string("a\0b", 3)).empty());
}

TEST_F(ServerSearchTest, CapsAtAThousandAndCountsTheRest) {
    for (int i = 0; i < 1234; ++i) sandbox_.MakeFile("music/many/track" + std::to_string(i), "");
    Start();
    const auto reply = Search("track");
    EXPECT_EQ(reply.hits.size(), proto::kMaxSearchHits);
    EXPECT_EQ(reply.leftOut, 234u);
    EXPECT_EQ(Search("track12??").hits.size(), 34u);  // track1200..track1233
}

TEST_F(ServerSearchTest, ChangesAfterIndexingAreFoundWithinTheRefreshBound) {
    Start();
    ASSERT_EQ(Paths("deep").size(), 1u);  // the first index is there
    sandbox_.MakeFile("music/sub/fresh arrival.ogg", "new");
    std::filesystem::remove(Path("music/a.txt"));
    // Bound: settle time (at most 1 s) plus one build; polled, not timed.
    EXPECT_TRUE(Eventually([&] { return Paths("fresh").size() == 1; }));
    EXPECT_TRUE(Paths("a.txt").empty());
    // A folder made after indexing is watched too once the index is rebuilt.
    sandbox_.MakeFile("music/newdir/inner.flac", "x");
    EXPECT_TRUE(Eventually([&] { return Paths("inner").size() == 1; }));
    sandbox_.MakeFile("music/newdir/second.flac", "x");
    EXPECT_TRUE(Eventually([&] { return Paths("second").size() == 1; }));
    // A share added to the settings file.
    sandbox_.MakeFile("more/extra.pdf", "pdf");
    WriteSettings("[shares]\n music = " + Path("music") + "\nmore=" + Path("more") + "\n");
    EXPECT_TRUE(Eventually([&] { return Paths("extra").size() == 1; }));
    EXPECT_EQ(Paths("extra")[0], "\\more\\extra.pdf");
}

}  // namespace
}  // namespace server_test
