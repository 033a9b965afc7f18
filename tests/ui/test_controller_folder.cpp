// Folder downloads: the listing walk, the local paths, the progress text and how a walk ends.
#include "ui/fakes_controller.h"
#include "ui/transfer_paths.h"

namespace fakes {
namespace {

using ui::FocusTarget;

class FolderDownloadTest : public ControllerTest {
protected:
    void SetUp() override {
        ControllerTest::SetUp();
        MusicHost();
        target = sandbox.MakeFolder("target") + "/";
        views.folders.answer = sandbox.Path("target");
    }

    // Downloads the named row of the Music share's file list, or the share itself.
    void DownloadFolder(const std::string& row) {
        if (row.empty()) {
            views.focus.focused = FocusTarget::Tree;
        } else {
            views.focus.focused = FocusTarget::FileList;
            views.files.SelectNames({row});
        }
        network->ClearJobs();
        controller->Download(false);
    }

    // The walk's listing job for `path` brings `listing`.
    void Answer(const std::string& path, const std::vector<DirEntry>& listing) {
        for (const auto& job : network->JobsOf(JobType::Expand)) {
            if (job.remotePath == path) {
                controller->OnExpandSucceeded(job.id, listing);
                return;
            }
        }
        ADD_FAILURE() << "no listing job for " << path;
    }

    std::string Status() const { return views.transfers.rows.at(0).status; }

    std::string target;
};

TEST_F(FolderDownloadTest, FolderIsRecreatedUnderTheTargetWithItsInnerStructure) {
    DownloadFolder("Live");
    ASSERT_EQ(views.transfers.rows.size(), 1u);
    EXPECT_EQ(views.transfers.rows[0].name, "Live");
    EXPECT_EQ(Status(), "Wait");
    Answer("\\Music\\Live", {File("a.mp3"), Folder("x")});
    auto retrieves = network->JobsOf(JobType::Retrieve);
    ASSERT_EQ(retrieves.size(), 1u);
    EXPECT_EQ(retrieves[0].remotePath, "\\Music\\Live\\a.mp3");
    EXPECT_EQ(retrieves[0].localPath, target + "Live/a.mp3");
    // Listings and files of the walk watch the walk's cancel flag.
    EXPECT_EQ(retrieves[0].stop, network->JobsOf(JobType::Expand).back().stop);

    controller->OnDownloadProgress(retrieves[0].id, 30, 2.0);
    EXPECT_EQ(Status(), "Receive (1/1) 30% (2.00 KB/s)");
    Answer("\\Music\\Live\\x", {File("b.mp3")});
    controller->OnDownloadProgress(retrieves[0].id, 60, 2.0);
    EXPECT_EQ(Status(), "Receive (1/2) 60% (2.00 KB/s)");
    // One file at a time.
    EXPECT_EQ(network->JobsOf(JobType::Retrieve).size(), 1u);

    controller->OnDownloadFinished(retrieves[0].id, true);
    retrieves = network->JobsOf(JobType::Retrieve);
    ASSERT_EQ(retrieves.size(), 2u);
    EXPECT_EQ(retrieves[1].localPath, target + "Live/x/b.mp3");
    EXPECT_NE(Status(), "Finished");
    controller->OnDownloadFinished(retrieves[1].id, true);
    EXPECT_EQ(Status(), "Finished");
    EXPECT_EQ(Transfers().Running().folderDownloads, 0u);
    EXPECT_TRUE(Transfers().Rows().At(0).item.finished);
}

TEST_F(FolderDownloadTest, ShareDownloadKeepsTheShareName) {
    views.tree.Select("Music");
    DownloadFolder("");
    Answer("\\Music", {File("a.mp3")});
    EXPECT_EQ(network->JobsOf(JobType::Retrieve).at(0).localPath, target + "Music/a.mp3");
}

TEST_F(FolderDownloadTest, EmptyFolderFinishesAtOnce) {
    DownloadFolder("Live");
    Answer("\\Music\\Live", {});
    EXPECT_EQ(Status(), "Finished");
    EXPECT_TRUE(network->JobsOf(JobType::Retrieve).empty());
    EXPECT_EQ(Transfers().Running().folderDownloads, 0u);
}

TEST_F(FolderDownloadTest, FailedFileEndsTheWalk) {
    DownloadFolder("Live");
    Answer("\\Music\\Live", {File("a"), File("b")});
    controller->OnDownloadFinished(network->JobsOf(JobType::Retrieve)[0].id, false);
    EXPECT_EQ(Status(), "Failed");
    EXPECT_EQ(network->JobsOf(JobType::Retrieve).size(), 1u);
    EXPECT_EQ(Transfers().Running().folderDownloads, 0u);
}

TEST_F(FolderDownloadTest, CancelStopsTheRunningFileAndTheWalk) {
    DownloadFolder("Live");
    Answer("\\Music\\Live", {File("a"), File("b")});
    const auto file = network->JobsOf(JobType::Retrieve)[0];
    views.transfers.selected = {0};
    controller->CancelSelectedTransfers();
    EXPECT_TRUE(file.stop->load());
    controller->OnDownloadFinished(file.id, false);
    EXPECT_EQ(Status(), "Cancelled");
    EXPECT_EQ(network->JobsOf(JobType::Retrieve).size(), 1u);
}

TEST_F(FolderDownloadTest, WalkWaitingForItsListingCanBeCancelled) {
    DownloadFolder("Live");
    const auto listing = network->JobsOf(JobType::Expand).back();
    views.transfers.selected = {0};
    controller->CancelSelectedTransfers();
    EXPECT_TRUE(listing.stop->load());
    // The stopped listing job reports failure.
    controller->OnExpandFailed(listing.id);
    EXPECT_EQ(Status(), "Cancelled");
    EXPECT_EQ(Transfers().Running().folderDownloads, 0u);
}

TEST_F(FolderDownloadTest, FailedListingEndsTheWalkInsteadOfLeavingItWaiting) {
    DownloadFolder("Live");
    Answer("\\Music\\Live", {File("a"), Folder("x")});
    const auto sub = network->JobsOf(JobType::Expand).back();
    ASSERT_EQ(sub.remotePath, "\\Music\\Live\\x");
    const auto file = network->JobsOf(JobType::Retrieve)[0];
    controller->OnExpandFailed(sub.id);
    EXPECT_EQ(Status(), "Failed");
    EXPECT_EQ(Transfers().Running().folderDownloads, 0u);
    // The running file still reads the walk's flag: the record waits for its report.
    EXPECT_TRUE(file.stop->load());
    EXPECT_EQ(Transfers().RetiredWalkCount(), 1u);
    controller->OnDownloadFinished(file.id, false);
    EXPECT_EQ(Transfers().RetiredWalkCount(), 0u);
    EXPECT_EQ(Status(), "Failed");
}

TEST_F(FolderDownloadTest, OnlyListingsOfTheWalksOwnFoldersCount) {
    DownloadFolder("Live");
    // A folder beside the root whose name begins the same, and a folder below the root that
    // the walk has not asked for yet.
    DeliverListing("127.0.0.5", "\\Music\\", {Folder("Live"), Folder("Live2")});
    DeliverListing("127.0.0.5", "\\Music\\Live2\\", {File("wrong")});
    EXPECT_TRUE(network->JobsOf(JobType::Retrieve).empty());
    Answer("\\Music\\Live", {Folder("x")});
    DeliverListing("127.0.0.5", "\\Music\\Live\\x\\", {File("b")});
    // The user's own listing of x counts for the walk; the walk's own x listing is then unused.
    ASSERT_EQ(network->JobsOf(JobType::Retrieve).size(), 1u);
    EXPECT_EQ(network->JobsOf(JobType::Retrieve)[0].remotePath, "\\Music\\Live\\x\\b");
    Answer("\\Music\\Live\\x", {File("b")});
    EXPECT_EQ(network->JobsOf(JobType::Retrieve).size(), 1u);
}

TEST_F(FolderDownloadTest, NamesThatCouldLeaveTheTargetAreLeftOut) {
    DownloadFolder("Live");
    Answer("\\Music\\Live", {File("../../evil"), File(".."), Folder("a/b"), File("fine")});
    const auto retrieves = network->JobsOf(JobType::Retrieve);
    ASSERT_EQ(retrieves.size(), 1u);
    EXPECT_EQ(retrieves[0].localPath, target + "Live/fine");
    EXPECT_EQ(network->JobsOf(JobType::Expand).size(), 1u);
}

TEST_F(FolderDownloadTest, FolderBeingDownloadedIsLeftOutOfASecondCommand) {
    DownloadFolder("Live");
    DownloadFolder("Live");
    EXPECT_EQ(views.transfers.rows.size(), 1u);
    EXPECT_TRUE(network->jobs.empty());
}

TEST(TransferPaths, LocalPathsStayInsideTheTarget) {
    EXPECT_EQ(ui::FolderFileLocalPath("/t/", "\\Music\\Live", "\\Music\\Live\\x\\b.mp3"),
              std::optional<std::string>("/t/Live/x/b.mp3"));
    EXPECT_EQ(ui::FolderFileLocalPath("/t/", "\\Music", "\\Music\\a.mp3"),
              std::optional<std::string>("/t/Music/a.mp3"));
    EXPECT_EQ(ui::FolderFileLocalPath("/t/", "\\Music\\Live", "\\Music\\Live2\\a"), std::nullopt);
    EXPECT_EQ(ui::FolderFileLocalPath("/t/", "\\M", "\\M\\..\\a"), std::nullopt);
    EXPECT_EQ(ui::FolderFileLocalPath("/t/", "\\M", "\\M\\\\a"), std::nullopt);
    EXPECT_FALSE(ui::IsSafeLocalName(std::string("a\0b", 3)));
    EXPECT_EQ(ui::StripTrailingBackslashes("\\a\\\\"), "\\a");
    EXPECT_EQ(ui::WithTrailingSeparator("/x"), "/x/");
    EXPECT_EQ(ui::WithTrailingSeparator("/x/"), "/x/");
}

}  // namespace
}  // namespace fakes
