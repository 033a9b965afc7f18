// Where a downloaded file may be written: never through a link that leads out of the target.
#include "client/download_target.h"

#include <gtest/gtest.h>

#include "support/temp_folder.h"

namespace {

namespace fs = std::filesystem;

TEST(DownloadTarget, TargetBehindAPlantedLinkIsOutside) {
    testing_support::TempFolder temp;
    const fs::path dest = temp.MakeFolder("dest");
    const fs::path outside = temp.MakeFolder("outside");
    fs::create_directory_symlink(outside, dest / "link");
    EXPECT_TRUE(client::StaysInside(dest, dest / "new" / "deeper" / "a.txt"));
    EXPECT_FALSE(client::StaysInside(dest, dest / "link" / "a.txt"));
    EXPECT_FALSE(client::StaysInside(dest, dest / ".." / "a.txt"));
    // The target folder given through a link of its own is fine.
    fs::create_directory_symlink(dest, temp.Root() / "alias");
    EXPECT_TRUE(client::StaysInside(temp.Root() / "alias", temp.Root() / "alias" / "a.txt"));
}

}  // namespace
