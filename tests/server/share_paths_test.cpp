// Path checks that the requests over the wire cannot reach one by one.
#include "server/share_paths.h"

#include "server_test_support.h"

namespace server_test {
namespace {

TEST(SharePathTest, OnlyAWholeDotDotComponentOrANulByteIsUnsafe) {
    const std::pair<std::string, bool> rows[] = {
        {"\\a\\..", false}, {"..", false}, {"../x", false},     {"\\a/..\\b", false},
        {"", true},         {"\\", true},  {"\\...", true},     {"\\..a", true},
        {"\\a..\\b", true}, {"\\.", true}, {"\\a\\b.txt", true}};
    for (const auto& [rest, safe] : rows) EXPECT_EQ(server::IsSafeShareRest(rest), safe) << rest;
    EXPECT_FALSE(server::IsSafeShareRest(std::string("\\a\0b", 4)));
}

TEST(SharePathTest, IsWithinComparesWholeComponents) {
    EXPECT_TRUE(server::IsWithin("/srv/share", "/srv/share"));
    EXPECT_TRUE(server::IsWithin("/srv/share/a", "/srv/share"));
    EXPECT_FALSE(server::IsWithin("/srv/shared/a", "/srv/share"));
    EXPECT_FALSE(server::IsWithin("/srv", "/srv/share"));
    EXPECT_TRUE(server::IsWithin("/etc/passwd", "/"));
}

TEST_F(ServerTest, ShareFoldersAreLookedUpWithoutTheirTrailingSeparator) {
    WriteSettings("[global]\nhostname=x\n[shares]\ndocs=/srv/docs\\\nnone=\n");
    const utilcpp::CParseini settings(Path("wendaro.ini"));
    std::string folder;
    ASSERT_TRUE(server::LookupShareFolder(settings, "docs", folder));
    EXPECT_EQ(folder, "/srv/docs");
    EXPECT_FALSE(server::LookupShareFolder(settings, "hostname", folder));
    server::LocalPath local;
    ASSERT_TRUE(server::LookupShareFolder(settings, "none", folder));
    EXPECT_FALSE(server::MapIntoShare(folder, "\\a.txt", local));  // not the working folder
    EXPECT_FALSE(server::MapIntoShare(Path("music/a.txt"), "", local));
}

}  // namespace
}  // namespace server_test
