// Where downloaded files may land, and how typed paths become host paths.
#include "cli/download_paths.h"

#include <gtest/gtest.h>

#include "cli/remote_path.h"
#include "cli_test_support.h"

namespace {

namespace fs = std::filesystem;

TEST(WalkPath, TargetBehindAPlantedLinkIsOutside) {
    testing_support::TempFolder temp;
    const fs::path dest = temp.MakeFolder("dest");
    const fs::path outside = temp.MakeFolder("outside");
    fs::create_directory_symlink(outside, dest / "link");
    EXPECT_TRUE(cli::StaysInside(dest, dest / "new" / "deeper" / "a.txt"));
    EXPECT_FALSE(cli::StaysInside(dest, dest / "link" / "a.txt"));
    EXPECT_FALSE(cli::StaysInside(dest, dest / ".." / "a.txt"));
    // The target folder given through a link of its own is fine.
    fs::create_directory_symlink(dest, temp.Root() / "alias");
    EXPECT_TRUE(cli::StaysInside(temp.Root() / "alias", temp.Root() / "alias" / "a.txt"));
}

TEST(RemotePath, TypedPathsBecomeHostPaths) {
    const std::pair<const char*, const char*> cases[] = {
        {"", "\\"}, {"//Music//Live/", "\\Music\\Live"}, {"\\Music\\Live\\", "\\Music\\Live"}};
    for (const auto& [typed, path] : cases)
        EXPECT_EQ(cli::NormalizeRemotePath(typed), path) << typed;
    EXPECT_EQ(cli::RemoteJoin("\\Music\\", "a.mp3"), "\\Music\\a.mp3");
}

}  // namespace
