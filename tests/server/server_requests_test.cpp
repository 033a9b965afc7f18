// Requests answered by a running share server over loopback, byte for byte.
#include <sys/stat.h>

#include "protocol/request_protocol.h"
#include "server/share_paths.h"
#include "server_test_support.h"

namespace server_test {
namespace {

std::vector<DirEntry> SortedListing(const std::string& reply) {
    auto entries = proto::ParseListing(reply.substr(reply.find(':') + 1));
    std::sort(entries.begin(), entries.end(), [](auto& a, auto& b) { return a.name < b.name; });
    return entries;
}

TEST_F(ServerTest, ExpandListsSharesAndFoldersLeavingOutWhatLeadsOutside) {
    // A pipe could be listed but never retrieved.
    ASSERT_EQ(::mkfifo(Path("music/pipe").c_str(), 0600), 0);
    Start();
    EXPECT_EQ(Ask("expand:\\"), Framed("music\\1\\0\\empty\\1\\0"));
    const std::vector<DirEntry> music = {
        {"a.txt", 5, false}, {"huge.bin", 1LL << 30, false}, {"sub", 0, true}};
    EXPECT_EQ(SortedListing(Ask("expand:\\music")), music);
    const std::vector<DirEntry> sub = {{"deep.txt", 6, false}, {"link_in", 5, false}};
    EXPECT_EQ(SortedListing(Ask("expand:\\music\\sub\\")), sub);
    // Places that cannot be listed answer an empty listing, not silence.
    for (const char* line : {"expand:\\nosuch", "expand", "expand:", "expand:music",
                             "expand:\\empty", "expand:\\music\\a.txt", "expand:\\music\\gone"})
        EXPECT_EQ(Ask(line), "0:") << line;
    WriteSettings("[global]\nhostname=x\n");
    EXPECT_EQ(Ask("expand:\\"), "0:");
}

// Share names compare without case: a later "Music" is the same share as "music" and is neither
// listed again nor served with its own folder. A line "=folder" lists no share, so no spelling of
// an empty or blank name may reach its folder.
TEST_F(ServerTest, ANameThatDiffersOnlyInCaseIsTheFirstShareAndABlankNameNone) {
    const std::string outside = Path("outside");
    WriteSettings("[shares]\nmusic=" + Path("music") + "\nMusic=" + outside + "\n=" + outside +
                  "\n \t =" + outside + "\n");
    Start();
    EXPECT_EQ(Ask("expand:\\"), Framed("music\\1\\0"));
    EXPECT_EQ(Ask("retrieve:\\MUSIC\\a.txt"), Framed("hello"));
    for (const char* line : {"retrieve:\\Music\\secret.txt", "expand:\\\\", "expand:\\ \t \\",
                             "retrieve:\\\\secret.txt", "retrieve:\\ \t \\secret.txt"}) {
        EXPECT_EQ(Ask(line), std::string_view(line).starts_with("expand") ? "0:" : "") << line;
    }
}

TEST_F(ServerTest, NoSpellingOfAPlaceOutsideTheShareIsServed) {
    Start();
    using namespace std::string_literals;
    for (const std::string& line :
         {"expand:\\music\\..\\outside"s, "retrieve:\\music\\..\\outside\\secret.txt"s,
          "expand:\\music\\sub\\..\\..\\outside"s, "retrieve:\\music/../outside/secret.txt"s,
          "expand:\\music\\sub/../../outside"s, "expand:\\music\\.."s, "expand:\\music\\..\\"s,
          "expand:\\..\\outside"s, "expand:\\music\\\0.."s, "retrieve:\\music\\a.txt\0"s,
          "expand:\\music\\link_out"s, "retrieve:\\music\\link_out\\secret.txt"s,
          "retrieve:\\music\\secret"s, "expand:\\music\\old"s, "retrieve:\\music\\dangling"s,
          "retrieve:\\music\\nosuch\\new.txt"s})
        EXPECT_EQ(Ask(line), line.starts_with("expand") ? "0:" : "") << line;
    // Each would otherwise put a permission question in front of the user as often as asked.
    EXPECT_EQ(listeners_.Logged(), Lines{});
}

// The first of two checks; the location check behind it would hide its failing from the above.
TEST(SharePath, DotDotComponentsInAnySpellingAndNulAreUnsafe) {
    for (const char* rest : {"..", "\\a/..\\b", "\\a\\.."})
        EXPECT_FALSE(server::IsSafeShareRest(rest));
    EXPECT_FALSE(server::IsSafeShareRest(std::string("\\a\0b", 4)));
    EXPECT_TRUE(server::IsSafeShareRest("\\..a\\b..\\..."));
}

TEST_F(ServerTest, AnswersEachRequestTheWayItsJobWordAsks) {
    Start();
    server_->SetHostName("new");
    sandbox_.MakeFile("music/empty.txt", "");
    const std::string extended = Framed("new\n1.0 " + proto::OwnSystemText() + " \n");
    // Folders, missing files and unknown job words close without a reply.
    const std::pair<std::string, std::string> rows[] = {
        {"gethostinfo", Framed("new\n1.0 \n")},
        {"gethostinfoex", extended},
        {"retrieve:\\music\\empty.txt", "0:"},
        {"retrieve:\\music\\sub\\link_in", "5:hello"},
        {"retrieve:\\music\\sub", ""},
        {"retrieve:\\music\\gone.txt", ""},
        {"Expand:\\", ""},
        {"hostmodified", ""},
        {"wdx-words", Framed("wdx-words\nwdx-get\nwdx-search\nwdx-folder\n")}};
    for (const auto& [line, reply] : rows) EXPECT_EQ(Ask(line), reply) << line;
    EXPECT_EQ(listeners_.Logged("modified"), Lines{"modified 127.0.0.1"});
    // Only the two files are asked for; the folder and the missing file close unasked.
    EXPECT_EQ(listeners_.Logged("asked").size(), 2u);

    net::UniqueSocket oversized = Connect();
    ASSERT_TRUE(testing_support::WriteRaw(oversized.get(), "99999999999999:expand"));
    EXPECT_TRUE(ClosedByPeer(oversized.get()));
    listeners_.Set(listeners_.allow, false);
    EXPECT_EQ(Ask("retrieve:\\music\\a.txt"), "");
    EXPECT_EQ(listeners_.Logged("asked").size(), 3u);
    EXPECT_EQ(listeners_.Logged("requested").size(), 2u);
}

TEST_F(ServerTest, KeepAliveConnectionStaysOpenUntilAMalformedMessage) {
    Start();
    net::UniqueSocket socket = Send("ping");
    for (int i = 0; i < 3; ++i) ASSERT_TRUE(net::SendString(socket.get(), "ping", nullptr));
    ASSERT_TRUE(Eventually([&] { return Counts().running == 1; }));
    EXPECT_TRUE(StillOpen(socket.get()));
    ASSERT_TRUE(testing_support::WriteRaw(socket.get(), "x:"));
    EXPECT_TRUE(ClosedByPeer(socket.get()));
}

}  // namespace
}  // namespace server_test
