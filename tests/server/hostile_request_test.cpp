// Requests a hostile peer repeats to bother the user.
#include "server_test_support.h"

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

}  // namespace
}  // namespace server_test
