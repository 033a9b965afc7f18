// The folder walk: which listings it asks for, the order files are taken in, and what a hostile
// listing cannot make it do.
#include "cli/folder_walk.h"

#include <gtest/gtest.h>

namespace {

namespace fs = std::filesystem;

DirEntry File(const std::string& name, std::int64_t size = 1) {
    return {name, size, false};
}
DirEntry Folder(const std::string& name) {
    return {name, 0, true};
}

TEST(FolderWalk, EndsWithItsListingsEvenEmptyOrFailedOnes) {
    cli::FolderWalk empty("\\Music\\Live", "/t");
    EXPECT_FALSE(empty.Finished());
    const auto use = empty.OnListing("\\Music\\Live", {});
    EXPECT_TRUE(use.used);
    EXPECT_EQ(use.localFolder, fs::path("/t/Live"));
    EXPECT_TRUE(empty.Finished());
    EXPECT_FALSE(empty.TakeNextFile());

    cli::FolderWalk failed("\\S", "/t");
    failed.OnListing("\\S", {Folder("a"), File("f")});
    failed.OnListingFailed();
    EXPECT_FALSE(failed.Finished()) << "a file is still pending";
    failed.TakeNextFile();
    EXPECT_TRUE(failed.Finished());
}

TEST(FolderWalk, FilesComeInTheOrderFoundWhileListingsStillArrive) {
    cli::FolderWalk walk("\\Music\\Live", "/t");
    auto use = walk.OnListing("\\Music\\Live", {Folder("x"), File("a.mp3", 5), File("b.mp3")});
    ASSERT_EQ(use.foldersToList, std::vector<std::string>{"\\Music\\Live\\x"});
    EXPECT_EQ(walk.FilesFound(), 2u);

    auto first = walk.TakeNextFile();
    ASSERT_TRUE(first);
    EXPECT_EQ(first->remotePath, "\\Music\\Live\\a.mp3");
    EXPECT_EQ(first->localPath, fs::path("/t/Live/a.mp3"));
    EXPECT_EQ(first->size, 5);
    EXPECT_EQ(walk.FilesStarted(), 1u);
    EXPECT_FALSE(walk.Finished()) << "a listing is still on its way";

    // Repeated, or never asked for: both ignored.
    EXPECT_FALSE(walk.OnListing("\\Music\\Live", {File("again")}).used);
    EXPECT_FALSE(walk.OnListing("\\Elsewhere", {File("stray")}).used);
    use = walk.OnListing("\\Music\\Live\\x", {File("c.mp3")});
    EXPECT_EQ(use.localFolder, fs::path("/t/Live/x"));
    // The count of files found grows as listings arrive.
    EXPECT_EQ(walk.FilesFound(), 3u);
    EXPECT_EQ(walk.TakeNextFile()->remotePath, "\\Music\\Live\\b.mp3");
    EXPECT_EQ(walk.TakeNextFile()->localPath, fs::path("/t/Live/x/c.mp3"));
    EXPECT_TRUE(walk.Finished());
}

TEST(FolderWalk, HostileAndRepeatedNamesAreRefusedNeverQueued) {
    cli::FolderWalk walk("\\Share", "/t");
    const auto use = walk.OnListing(
        "\\Share", {File(".."), Folder(".."), Folder("."), File("../../etc/passwd"), File("a/b"),
                    File(std::string("nul\0name", 8)), File(""), File("ok.txt"), File("ok.txt"),
                    Folder("d"), Folder("d"), DirEntry{"liar.bin", -1, false}});
    EXPECT_EQ(use.refused.size(), 10u);
    EXPECT_EQ(use.foldersToList, std::vector<std::string>{"\\Share\\d"});
    EXPECT_EQ(walk.FilesFound(), 1u);
    EXPECT_EQ(walk.TakeNextFile()->localPath, fs::path("/t/Share/ok.txt"));
    // Without the second "d" being refused the walk would wait for a listing forever.
    walk.OnListing("\\Share\\d", {});
    EXPECT_TRUE(walk.Finished());
}

TEST(FolderWalk, EndlessNestingAndEndlessFilesAreCut) {
    cli::WalkLimits limits;
    limits.maxDepth = 4;
    limits.maxFiles = 3;
    cli::FolderWalk walk("\\S", "/t", limits);
    std::string path = "\\S";
    // \S has depth 1; folders down to depth 4 are followed, the next one is refused.
    for (int level = 0; level < 3; ++level) {
        const auto use = walk.OnListing(path, {Folder("d")});
        ASSERT_EQ(use.foldersToList.size(), 1u) << level;
        path = use.foldersToList[0];
    }
    const auto deepest =
        walk.OnListing(path, {Folder("d"), File("1"), File("2"), File("3"), File("4")});
    EXPECT_TRUE(deepest.foldersToList.empty());
    EXPECT_EQ(deepest.refused.size(), 2u);  // the folder too deep and the fourth file
    EXPECT_EQ(walk.FilesFound(), 3u);
}

}  // namespace
