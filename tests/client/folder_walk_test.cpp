// The folder walk shared by `get` and the main window: which listings it asks for and how many at
// once, the order files are handed out in, where they land, and what a hostile listing cannot make
// it do.
#include "client/folder_walk.h"

#include <gtest/gtest.h>

#include <deque>
#include <string>

namespace {

namespace fs = std::filesystem;
using client::FolderWalk;
using client::WalkRefusalKind;

DirEntry File(const std::string& name, std::int64_t size = 1) {
    return {name, size, false};
}
DirEntry Folder(const std::string& name) {
    return {name, 0, true};
}

// Queues the walk's waiting listings with made-up job ids; returns the folders asked for.
std::vector<std::string> AskListings(FolderWalk& walk, JobId& nextJob) {
    std::vector<std::string> asked;
    walk.ListWaitingFolders([&](const std::string& path) {
        asked.push_back(path);
        return nextJob++;
    });
    return asked;
}

TEST(FolderWalk, FilesComeInTheOrderFoundAndEachListingIsUsedOnce) {
    FolderWalk walk(7, "\\Music\\Live", "/t");
    JobId job = 100;
    ASSERT_EQ(AskListings(walk, job), std::vector<std::string>{"\\Music\\Live"});
    auto use = walk.OnListing("\\Music\\Live", {Folder("x"), File("a.mp3", 5), File("b.mp3")}, 4);
    ASSERT_TRUE(use.used);
    EXPECT_EQ(AskListings(walk, job), std::vector<std::string>{"\\Music\\Live\\x"});
    const auto first = walk.TakeNextFile();
    ASSERT_TRUE(first);
    EXPECT_EQ(first->remotePath, "\\Music\\Live\\a.mp3");
    EXPECT_EQ(first->localPath, fs::path("/t/Live/a.mp3"));
    // Repeated, or never asked for: both ignored.
    EXPECT_FALSE(walk.OnListing("\\Music\\Live", {File("again")}, 9).used);
    EXPECT_FALSE(walk.OnListing("\\Elsewhere", {File("stray")}).used);
    // Anyone's listing of an awaited folder counts, whoever asked for it.
    EXPECT_TRUE(walk.OnListing("\\Music\\Live\\x", {File("c.mp3")}, 2).used);
    EXPECT_EQ(walk.EntriesLeftOut(), 6u) << "a cut counts only in a listing the walk used";
    EXPECT_EQ(walk.TakeNextFile()->remotePath, "\\Music\\Live\\b.mp3");
    EXPECT_FALSE(walk.Exhausted());
    EXPECT_EQ(walk.TakeNextFile()->localPath, fs::path("/t/Live/x/c.mp3"));
    EXPECT_TRUE(walk.Exhausted());
}

TEST(FolderWalk, HostileNamesSizesAndRepeatsAreRefusedNeverQueued) {
    FolderWalk walk(7, "\\Share", "/t");
    JobId job = 1;
    AskListings(walk, job);
    const auto use = walk.OnListing(
        "\\Share", {Folder(".."), File("../../etc/passwd"), File("a\\..\\..\\b"),
                    File(std::string("nul\0name", 8)), File(std::string(256, 'n')),
                    File("forged\nline"), File("cr\rname"), File("ok.txt"), File("ok.txt"),
                    Folder("d"), Folder("d"), File("liar.bin", -1), Folder("ok.txt")});
    std::vector<WalkRefusalKind> kinds;
    for (const auto& refusal : use.refused) kinds.push_back(refusal.kind);
    using K = WalkRefusalKind;
    EXPECT_EQ(kinds, (std::vector<K>{K::BadName, K::BadName, K::BadName, K::BadName, K::BadName,
                                     K::BadName, K::BadName, K::ListedTwice, K::ListedTwice,
                                     K::NegativeSize}));
    EXPECT_EQ(use.refused[9].remotePath, "\\Share\\liar.bin");
    EXPECT_EQ(walk.FilesFound(), 1u);
    EXPECT_EQ(walk.TakeNextFile()->localPath, fs::path("/t/Share/ok.txt"));
    // The folder named like the file is listed, but a file of it could never land on the file.
    EXPECT_EQ(AskListings(walk, job), (std::vector<std::string>{"\\Share\\d", "\\Share\\ok.txt"}));
    walk.OnListing("\\Share\\d", {});
    walk.OnListing("\\Share\\ok.txt", {});
    EXPECT_TRUE(walk.Exhausted()) << "the second d would have left the walk waiting for ever";
}

TEST(FolderWalk, EndlessNestingEndlessFilesAndEndlessFoldersAreCut) {
    client::WalkLimits limits;
    limits.maxDepth = 3;
    limits.maxFiles = 3;
    limits.maxFolders = 5;
    FolderWalk walk(7, "\\S\\root", "/t", limits);
    JobId job = 1;
    std::string path = AskListings(walk, job).at(0);
    // Three levels below the root are followed, the fourth is refused.
    for (int level = 0; level < 3; ++level) {
        walk.OnListing(path, {Folder("d")});
        const auto asked = AskListings(walk, job);
        ASSERT_EQ(asked.size(), 1u) << level;
        path = asked[0];
    }
    auto use = walk.OnListing(path, {Folder("d"), File("1"), File("2"), File("3"), File("4"),
                                     Folder("e"), Folder("f"), Folder("g")});
    std::vector<WalkRefusalKind> kinds;
    for (const auto& refusal : use.refused) kinds.push_back(refusal.kind);
    using K = WalkRefusalKind;
    EXPECT_EQ(kinds,
              (std::vector<K>{K::TooDeep, K::TooManyFiles, K::TooDeep, K::TooDeep, K::TooDeep}));
    EXPECT_EQ(walk.FilesFound(), 3u);

    FolderWalk wide(7, "\\S", "/t", limits);
    AskListings(wide, job);
    use = wide.OnListing(
        "\\S", {Folder("a"), Folder("b"), Folder("c"), Folder("d"), Folder("e"), Folder("f")});
    ASSERT_EQ(use.refused.size(), 1u);
    EXPECT_EQ(use.refused[0].kind, WalkRefusalKind::TooManyFolders);
}

// Thousands of sub-folders are listed a few at a time: the walk tops up to its bound of eight
// listings out again, never beyond; a failed listing frees its place and counts only its own job.
TEST(FolderWalk, ListingsInFlightStayBoundedAndFailuresCountOnlyTheirOwn) {
    FolderWalk walk(7, "\\S", "/t");
    JobId job = 1;
    AskListings(walk, job);
    std::vector<DirEntry> folders;
    for (int i = 0; i < 5000; ++i) folders.push_back(Folder("d" + std::to_string(i)));
    ASSERT_TRUE(walk.OnListing("\\S", folders).refused.empty());
    const JobId firstJob = job;
    std::deque<std::string> out;
    for (auto& path : AskListings(walk, job)) out.push_back(std::move(path));
    EXPECT_EQ(out.size(), 8u);
    EXPECT_TRUE(AskListings(walk, job).empty()) << "eight are out already";
    EXPECT_EQ(walk.PendingListings(), 5000u);
    EXPECT_FALSE(walk.OnListingFailed(999)) << "not the walk's job";
    EXPECT_TRUE(walk.OnListingFailed(firstJob));
    out.pop_front();
    for (auto& path : AskListings(walk, job)) out.push_back(std::move(path));
    EXPECT_EQ(out.size(), 8u) << "the failed listing's place, and only it, is free again";
    std::size_t listed = 0;
    for (int round = 0; round < 10'000 && !walk.Exhausted(); ++round) {
        for (auto& path : AskListings(walk, job)) out.push_back(std::move(path));
        ASSERT_LE(out.size(), 8u);
        for (int i = 0; i < 2 && !out.empty(); ++i, ++listed) {
            ASSERT_TRUE(walk.OnListing(out.front(), {File("f")}).used);
            out.pop_front();
        }
    }
    EXPECT_EQ(listed, 4999u);
    EXPECT_EQ(walk.FilesFound(), 4999u);
}

}  // namespace
