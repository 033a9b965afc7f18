// Requests a hostile peer repeats to bother the user or to flood the diagnostic trace.
#include "server/trace_excerpt.h"
#include "server_test_support.h"
#include "util/trace.h"

namespace server_test {
namespace {

// Each of these would otherwise put a permission question in front of the user, and the missing
// file a failed upload row as well, as often as the peer likes.
TEST_F(ServerTest, RetrievesOfNothingSendableCloseWithoutAQuestion) {
    Start();
    for (const char* line :
         {"retrieve:\\music\\gone.txt", "retrieve:\\music\\sub", "retrieve:\\nosuch\\a.txt",
          "retrieve:\\music\\..\\outside\\secret.txt", "retrieve:\\music\\nosuch\\x"})
        EXPECT_EQ(Ask(line), "") << line;
    EXPECT_EQ(Ask("retrieve:\\music\\a.txt"), Framed("hello"));
    // Connection ids count every connection, the refused ones too.
    EXPECT_EQ(listeners_.Logged(),
              (Lines{"asked 127.0.0.1", "requested 6", "started 6", "sent 6"}));
}

TEST(TraceExcerpt, QuotesEscapesAndCutsPeerText) {
    const std::string longest(server::kTraceExcerptLength, 'a');
    const std::pair<std::string, std::string> rows[] = {
        {"frobnicate:x", "\"frobnicate:x\""},
        {"", "\"\""},
        {"a\"b\\c", "\"a\\\"b\\\\c\""},
        {std::string("\x1b[2J\r\n\0\x7f\x9b\xff", 10),
         "\"\\x1b[2J\\x0d\\x0a\\x00\\x7f\\x9b\\xff\""},
        {longest, "\"" + longest + "\""},
        {longest + "b", "\"" + longest + "\"..."}};
    for (const auto& [text, expected] : rows) EXPECT_EQ(server::TraceExcerpt(text), expected);
}

TEST_F(ServerTest, UnknownJobLinesReachTheTraceQuotedAndCut) {
    const std::string traceFile = Path("trace.txt");
    xUtilTraceInit("-debug:1," + traceFile);
    Start();
    EXPECT_EQ(Ask("\x1b]0;owned\x07" + std::string(60'000, 'z')), "");
    EXPECT_TRUE(Eventually([&] { return Counts().connections == 0; }));
    xUtilTraceClose();
    const std::string trace = sandbox_.ReadFile("trace.txt");
    EXPECT_NE(trace.find("unknown jobtype : \"\\x1b]0;owned\\x07zzz"), std::string::npos) << trace;
    EXPECT_EQ(trace.find('\x1b'), std::string::npos);
    EXPECT_LT(trace.size(), 400u);
}

}  // namespace
}  // namespace server_test
