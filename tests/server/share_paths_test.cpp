#include "server/share_paths.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "server/share_listing.h"
#include "server_test_support.h"

namespace {

using server_test::Sandbox;
namespace fs = std::filesystem;

TEST(SharePathTest, SplitsShareNameFromRest) {
    std::string share;
    std::string rest;
    ASSERT_TRUE(server::SplitSharePath("\\music", share, rest));
    EXPECT_EQ(share, "music");
    EXPECT_EQ(rest, "");
    ASSERT_TRUE(server::SplitSharePath("\\music\\a\\b.txt", share, rest));
    EXPECT_EQ(share, "music");
    EXPECT_EQ(rest, "\\a\\b.txt");
    EXPECT_FALSE(server::SplitSharePath("", share, rest));
    EXPECT_FALSE(server::SplitSharePath("music\\a", share, rest));
}

TEST(SharePathTest, RefusesEveryParentSpelling) {
    for (const char* rest : {"\\..\\x", "\\..", "\\a\\..", "\\a\\..\\..\\x", "/..", "\\a/../b",
                             "\\a\\../x", "..", "../x"}) {
        EXPECT_FALSE(server::IsSafeShareRest(rest)) << rest;
    }
    EXPECT_FALSE(server::IsSafeShareRest(std::string("\\a\0b", 4)));
    for (const char* rest : {"", "\\", "\\a", "\\a\\b.txt", "\\...", "\\..a", "\\a..\\b", "\\."}) {
        EXPECT_TRUE(server::IsSafeShareRest(rest)) << rest;
    }
}

TEST(SharePathTest, IsWithinComparesWholeComponents) {
    EXPECT_TRUE(server::IsWithin("/srv/share", "/srv/share"));
    EXPECT_TRUE(server::IsWithin("/srv/share/a", "/srv/share"));
    EXPECT_FALSE(server::IsWithin("/srv/shared/a", "/srv/share"));
    EXPECT_FALSE(server::IsWithin("/srv", "/srv/share"));
    EXPECT_TRUE(server::IsWithin("/etc/passwd", "/"));
}

class MapIntoShareTest : public ::testing::Test {
protected:
    void SetUp() override {
        sandbox_.WriteFile("share/a.txt", "hello");
        sandbox_.WriteFile("share/sub/b.txt", "b");
        sandbox_.WriteFile("outside/secret.txt", "secret");
        fs::create_directory_symlink(sandbox_.Path("outside"), sandbox_.Path("share/link_out"));
        fs::create_symlink(sandbox_.Path("outside/secret.txt"), sandbox_.Path("share/secret"));
        fs::create_symlink(sandbox_.Path("share/a.txt"), sandbox_.Path("share/sub/link_in"));
        fs::create_symlink(sandbox_.Path("nowhere"), sandbox_.Path("share/dangling"));
        ASSERT_TRUE(server::RealLocation(sandbox_.Path("share"), root_));
    }

    bool Map(const std::string& rest, server::LocalPath& out) {
        return server::MapIntoShare(sandbox_.Path("share"), rest, out);
    }

    Sandbox sandbox_;
    std::string root_;
};

TEST_F(MapIntoShareTest, MapsBackslashPathsBelowTheShare) {
    server::LocalPath local;
    ASSERT_TRUE(Map("", local));
    EXPECT_EQ(local.path, root_);
    EXPECT_EQ(local.kind, server::PathKind::Folder);
    ASSERT_TRUE(Map("\\sub\\b.txt", local));
    EXPECT_EQ(local.path, root_ + "/sub/b.txt");
    EXPECT_EQ(local.kind, server::PathKind::File);
    EXPECT_EQ(local.shareRoot, root_);
    ASSERT_TRUE(Map("\\sub\\", local));
    EXPECT_EQ(local.path, root_ + "/sub");
}

TEST_F(MapIntoShareTest, FollowsLinksThatStayInsideTheShare) {
    server::LocalPath local;
    ASSERT_TRUE(Map("\\sub\\link_in", local));
    EXPECT_EQ(local.path, root_ + "/a.txt");
}

TEST_F(MapIntoShareTest, AcceptsAMissingFileOnlyInAnExistingFolderOfTheShare) {
    server::LocalPath local;
    ASSERT_TRUE(Map("\\sub\\gone.txt", local));
    EXPECT_EQ(local.kind, server::PathKind::Missing);
    EXPECT_EQ(local.path, root_ + "/sub/gone.txt");
    EXPECT_FALSE(Map("\\nosuch\\gone.txt", local));
    EXPECT_FALSE(Map("\\a.txt\\gone.txt", local));
    EXPECT_FALSE(Map("\\link_out\\gone.txt", local));
}

TEST_F(MapIntoShareTest, RefusesAShareFolderThatDoesNotExist) {
    server::LocalPath local;
    EXPECT_FALSE(server::MapIntoShare(sandbox_.Path("missing"), "", local));
    EXPECT_FALSE(server::MapIntoShare("", "\\a.txt", local));
    EXPECT_FALSE(server::MapIntoShare(sandbox_.Path("share/a.txt"), "", local));
}

TEST_F(MapIntoShareTest, ListingLeavesOutEscapingLinksAndShowsSizes) {
    sandbox_.WriteFile("share/back\\slash", "x");
    const std::vector<DirEntry> entries = server::ListFolder(root_, root_, nullptr);
    std::vector<DirEntry> sorted = entries;
    std::sort(sorted.begin(), sorted.end(),
              [](const DirEntry& a, const DirEntry& b) { return a.name < b.name; });
    const std::vector<DirEntry> expected = {{"a.txt", 5, false}, {"sub", 0, true}};
    EXPECT_EQ(sorted, expected);

    const std::vector<DirEntry> sub = server::ListFolder(root_ + "/sub", root_, nullptr);
    std::vector<DirEntry> subSorted = sub;
    std::sort(subSorted.begin(), subSorted.end(),
              [](const DirEntry& a, const DirEntry& b) { return a.name < b.name; });
    const std::vector<DirEntry> expectedSub = {{"b.txt", 1, false}, {"link_in", 5, false}};
    EXPECT_EQ(subSorted, expectedSub);
}

TEST(ShareSettingsTest, LooksUpFoldersAndListsTrimmedNames) {
    Sandbox sandbox;
    sandbox.WriteFile("settings.ini",
                      "[global]\nhostname=x\n[shares]\n music = /srv/music/\ndocs=/srv/docs\\\n"
                      "=/nameless\n");
    const utilcpp::CParseini settings(sandbox.Path("settings.ini"));
    std::string folder;
    ASSERT_TRUE(server::LookupShareFolder(settings, "music", folder));
    EXPECT_EQ(folder, "/srv/music");
    ASSERT_TRUE(server::LookupShareFolder(settings, "docs", folder));
    EXPECT_EQ(folder, "/srv/docs");
    EXPECT_FALSE(server::LookupShareFolder(settings, "hostname", folder));
    EXPECT_FALSE(server::LookupShareFolder(settings, "nosuch", folder));

    const std::vector<DirEntry> expected = {{"music", 0, true}, {"docs", 0, true}};
    EXPECT_EQ(server::ListShares(settings), expected);
}

}  // namespace
