// search --host against fake hosts on loopback: what is printed, and the exit codes.
#include <gtest/gtest.h>

#include "cli_test_support.h"
#include "support/common_peer.h"

namespace {

using cli_test::LineCount;
using cli_test::RunCommand;

TEST(SearchCommand, PrintsMatchesWithTheRestCountedAndExitsByWhatWasFound) {
    testing_support::TempFolder temp;
    testing_support::FakeHost ours;
    ours.SetReply("wdx-words", "wdx-words\nwdx-search\n");
    ours.SetReply("wdx-search:live",
                  "1500\n0\t4000\t1700000000\t\\Music\\Live.mp3\n1\t0\t0\t\\Music\\Live\n"
                  "0\t1\t0\t\\Music\\..\\..\\x\n");
    ours.SetReply("wdx-search:nothing", "0\n");
    auto search = [&](std::uint16_t port, const std::string& pattern) {
        return RunCommand({"--config", temp.Path("c.ini"), "--request-port", std::to_string(port),
                           "search", "--host", "127.0.0.1", pattern});
    };

    const auto found = search(ours.Port(), "live");
    EXPECT_EQ(found.exitCode, 0) << found.err;
    EXPECT_EQ(found.out, "127.0.0.1\t\\Music\\Live.mp3\t4000\n127.0.0.1\t\\Music\\Live\t-\n");
    // The unsafe line is dropped, not shown and not counted as one more to find.
    EXPECT_NE(found.err.find("127.0.0.1 has 1500 more matches"), std::string::npos) << found.err;
    EXPECT_EQ(LineCount(found.err), 1);

    const auto none = search(ours.Port(), "nothing");
    EXPECT_EQ(none.exitCode, 1);
    EXPECT_EQ(none.out + none.err, "");

    testing_support::CommonPeer common;
    const auto cannot = search(common.Port(), "live");
    EXPECT_EQ(cannot.exitCode, 1);
    EXPECT_EQ(cannot.err,
              "wendaro-cli: 127.0.0.1 cannot search: its program does not offer "
              "searching.\n");
    EXPECT_EQ(common.Requests(), std::vector<std::string>{"wdx-words"});

    const auto tooLong = search(ours.Port(), std::string(257, 'a'));
    EXPECT_EQ(tooLong.exitCode, 2);
    EXPECT_EQ(LineCount(tooLong.err), 1);
}

}  // namespace
