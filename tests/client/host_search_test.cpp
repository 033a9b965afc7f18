// Searching another host: a host of the common protocol is "cannot search" after one extra
// connection, and a hostile reply is bounded like a listing.
#include "client/host_search.h"

#include <gtest/gtest.h>

#include "client/extension_memo.h"
#include "support/common_peer.h"

namespace {

using testing_support::LoopbackAddress;

const std::string kOurWords = "wdx-words\nwdx-search\n";

TEST(HostSearch, CommonPeerCannotSearchAndIsAskedOnceForAnyNumberOfSearches) {
    testing_support::CommonPeer common;
    client::ExtensionMemo memo;
    for (int i = 0; i < 3; ++i) {
        const auto result =
            client::SearchHost(memo, LoopbackAddress(), common.Port(), "x", nullptr);
        EXPECT_EQ(result.outcome, client::SearchOutcome::CannotSearch);
        EXPECT_TRUE(result.hits.empty());
    }
    EXPECT_EQ(common.Requests(), std::vector<std::string>{"wdx-words"})
        << "never the search word itself, and the word list only once";

    client::ExtensionMemo fresh;
    const auto nobody = client::SearchHost(fresh, LoopbackAddress(), 9, "x", nullptr);
    EXPECT_EQ(nobody.outcome, client::SearchOutcome::Unreachable);
    EXPECT_FALSE(nobody.problem.empty());
}

TEST(HostSearch, HostileRepliesLoseUnsafePathsAndStayBounded) {
    // Unsafe paths are dropped; the good ones around them arrive whole.
    std::string reply = "5\n";
    reply += "0\t12\t1700000000\t\\Music\\a.mp3\n";
    reply += "0\t1\t0\t\\Music\\..\\..\\etc\\passwd\n";
    reply += "0\t1\t0\t\\Music\\..\n";
    reply += "0\t1\t0\t\\Music\\a\x1b[2Jb\n";
    reply += "0\t1\t0\t\\Music\\a/../b\n";
    reply += "0\t1\t0\tMusic\\relative\n";
    reply += "0\t-5\t0\t\\Music\\negative\n";
    reply += "garbage line\n";
    reply += "1\t0\t1700000001\t\\Music\\Live\n";
    testing_support::FakeHost host;
    host.SetReply("wdx-words", kOurWords);
    host.SetReply("wdx-search:a", reply);
    client::ExtensionMemo memo;
    const auto result = client::SearchHost(memo, LoopbackAddress(), host.Port(), "a", nullptr);
    ASSERT_EQ(result.outcome, client::SearchOutcome::Answered);
    ASSERT_EQ(result.hits.size(), 2u);
    EXPECT_EQ(result.hits[0], (proto::SearchHit{"\\Music\\a.mp3", 12, false, 1700000000}));
    EXPECT_EQ(result.hits[1], (proto::SearchHit{"\\Music\\Live", 0, true, 1700000001}));
    EXPECT_EQ(result.leftOut, 5u);

    // Hundreds of thousands of lines within the length bound: the first thousand are kept, the
    // rest only counted. A million lines are beyond the bound and refused whole.
    const std::string line = "0\t1\t0\t\\S\\f\n";
    std::string lines = "0\n";
    for (int i = 0; i < 700'000; ++i) lines += line;
    host.SetReply("wdx-search:f", lines);
    const auto many = client::SearchHost(memo, LoopbackAddress(), host.Port(), "f", nullptr);
    ASSERT_EQ(many.outcome, client::SearchOutcome::Answered);
    EXPECT_EQ(many.hits.size(), proto::kMaxSearchHits);
    EXPECT_EQ(many.leftOut, 700'000u - proto::kMaxSearchHits);
    for (int i = 0; i < 300'000; ++i) lines += line;
    host.SetReply("wdx-search:m", lines);
    EXPECT_EQ(client::SearchHost(memo, LoopbackAddress(), host.Port(), "m", nullptr).outcome,
              client::SearchOutcome::Unreachable);

    // A reply that claims 100 MB is refused from its header, before anything is held.
    testing_support::FakeHost huge(
        [](const std::string& request, net::Socket socket, const StopFlag& stop) {
            if (request == "wdx-words") {
                net::SendString(socket, kOurWords, &stop);
                return;
            }
            const std::string header = std::to_string(100 * 1024 * 1024) + ":0\n";
            ::send(socket, header.data(), header.size(), MSG_NOSIGNAL);
        });
    const auto refused = client::SearchHost(memo, LoopbackAddress(), huge.Port(), "x", nullptr);
    EXPECT_EQ(refused.outcome, client::SearchOutcome::Unreachable);
    EXPECT_FALSE(refused.problem.empty());

    // A reply that is no count at all is not an answer either.
    host.SetReply("wdx-search:g", "<html>");
    EXPECT_EQ(client::SearchHost(memo, LoopbackAddress(), host.Port(), "g", nullptr).outcome,
              client::SearchOutcome::Unreachable);
}

}  // namespace
