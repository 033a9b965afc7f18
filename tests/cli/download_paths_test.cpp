// Where downloaded files land, and the names from other hosts that must never be written.
#include "cli/download_paths.h"

#include <gtest/gtest.h>

#include "cli/remote_path.h"
#include "cli_test_support.h"

namespace {

namespace fs = std::filesystem;
using cli::NameProblem;

TEST(RemoteName, RefusesEveryNameThatCouldLeaveItsFolder) {
    EXPECT_EQ(cli::CheckRemoteName(""), NameProblem::Empty);
    EXPECT_EQ(cli::CheckRemoteName("."), NameProblem::DotName);
    EXPECT_EQ(cli::CheckRemoteName(".."), NameProblem::DotName);
    EXPECT_EQ(cli::CheckRemoteName("../etc"), NameProblem::Slash);
    EXPECT_EQ(cli::CheckRemoteName("/etc/passwd"), NameProblem::Slash);
    EXPECT_EQ(cli::CheckRemoteName("a/b"), NameProblem::Slash);
    EXPECT_EQ(cli::CheckRemoteName(std::string("a\0b", 3)), NameProblem::Nul);
    EXPECT_EQ(cli::CheckRemoteName(std::string(256, 'n')), NameProblem::TooLong);
    // Ordinary names, dots inside them and spaces are fine.
    for (const char* name : {"a.mp3", "...", "..x", ".hidden", "with space", "ümlaut", "a:b"}) {
        EXPECT_EQ(cli::CheckRemoteName(name), NameProblem::None) << name;
    }
    EXPECT_EQ(cli::CheckRemoteName(std::string(255, 'n')), NameProblem::None);
}

TEST(WalkPath, FolderKeepsItsOwnNameBelowTheTarget) {
    fs::path out;
    std::string why;
    ASSERT_TRUE(cli::MapWalkPath("\\Music\\Live", "\\Music\\Live\\a.mp3", "/t", out, why));
    EXPECT_EQ(out, fs::path("/t/Live/a.mp3"));
    ASSERT_TRUE(cli::MapWalkPath("\\Music\\Live", "\\Music\\Live\\x\\b.mp3", "/t", out, why));
    EXPECT_EQ(out, fs::path("/t/Live/x/b.mp3"));
    // A whole share lands under its share name.
    ASSERT_TRUE(cli::MapWalkPath("\\Music", "\\Music\\a.mp3", "/t", out, why));
    EXPECT_EQ(out, fs::path("/t/Music/a.mp3"));
}

TEST(WalkPath, RefusesFilesOutsideTheRootAndUnsafeComponents) {
    fs::path out = "/untouched";
    std::string why;
    EXPECT_FALSE(cli::MapWalkPath("\\Music\\Live", "\\Music\\Other\\a.mp3", "/t", out, why));
    // "\Music\Lively" starts with the root's text but is not below it.
    EXPECT_FALSE(cli::MapWalkPath("\\Music\\Live", "\\Music\\Lively\\a.mp3", "/t", out, why));
    EXPECT_FALSE(cli::MapWalkPath("\\Music", "\\Music\\..\\..\\etc\\passwd", "/t", out, why));
    EXPECT_EQ(why, "name \".\" or \"..\"");
    EXPECT_FALSE(cli::MapWalkPath("\\Music", "\\Music\\x\\\\y", "/t", out, why));
    EXPECT_EQ(why, "empty name");
    EXPECT_FALSE(cli::MapWalkPath("\\Music", "\\Music\\a/../../b", "/t", out, why));
    EXPECT_EQ(out, fs::path("/untouched"));
}

TEST(WalkPath, TargetBehindAPlantedLinkIsOutside) {
    cli_test::TempFolder temp;
    const fs::path dest = temp.Folder("dest");
    const fs::path outside = temp.Folder("outside");
    fs::create_directory_symlink(outside, dest / "link");
    EXPECT_TRUE(cli::StaysInside(dest, dest / "a.txt"));
    EXPECT_TRUE(cli::StaysInside(dest, dest / "new" / "deeper" / "a.txt"));
    EXPECT_FALSE(cli::StaysInside(dest, dest / "link" / "a.txt"));
    EXPECT_FALSE(cli::StaysInside(dest, dest / ".." / "a.txt"));
    // The target folder given through a link of its own is fine.
    fs::create_directory_symlink(dest, temp.Root() / "alias");
    EXPECT_TRUE(cli::StaysInside(temp.Root() / "alias", temp.Root() / "alias" / "a.txt"));
}

TEST(RemotePath, TypedPathsBecomeHostPaths) {
    for (const auto& [typed, path] :
         std::vector<std::pair<std::string, std::string>>{{"", "\\"},
                                                          {"/", "\\"},
                                                          {"\\", "\\"},
                                                          {"Music/Live/", "\\Music\\Live"},
                                                          {"//Music//Live", "\\Music\\Live"},
                                                          {"\\Music\\Live\\", "\\Music\\Live"}}) {
        EXPECT_EQ(cli::NormalizeRemotePath(typed), path) << typed;
    }
    EXPECT_EQ(cli::RemoteJoin("\\", "Music"), "\\Music");
    EXPECT_EQ(cli::RemoteJoin("\\Music\\", "a.mp3"), "\\Music\\a.mp3");
}

}  // namespace
