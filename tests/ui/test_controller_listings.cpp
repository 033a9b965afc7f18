// Listings arriving and failing, the one-level prefetch, and the file list.
#include "ui/fakes_controller.h"

namespace fakes {
namespace {

std::vector<std::string> PathsOf(const std::vector<FakeNetwork::Job>& jobs) {
    std::vector<std::string> paths;
    for (const auto& job : jobs) paths.push_back(job.remotePath);
    return paths;
}

TEST_F(ControllerTest, ListingFillsTheTreeAndTheSelectedNodesFileList) {
    AppearHost("127.0.0.5", "remote");
    views.tree.Select("remote");
    controller->FillFileList();
    EXPECT_TRUE(views.files.rows.empty());
    DeliverListing("127.0.0.5", "\\", {Folder("Music"), Folder("Docs")});
    EXPECT_NE(views.tree.Find("Music"), kNoTreeItem);
    EXPECT_EQ(views.files.Names(), (std::vector<std::string>{"Docs", "Music"}));
    EXPECT_EQ(views.files.rows[0].image, ui::kImageShare);
}

TEST_F(ControllerTest, ListingOfAnUnselectedNodeLeavesTheFileListAlone) {
    MusicHost();
    const int clears = views.files.clears;
    DeliverListing("127.0.0.5", "\\Music\\Live\\", {File("a.mp3")});
    EXPECT_EQ(views.files.clears, clears);
    EXPECT_EQ(views.files.Names(), (std::vector<std::string>{"Live", "top.txt"}));
}

TEST_F(ControllerTest, ListingOfAnExpandedNodePrefetchesItsFoldersLastFirst) {
    AppearHost("127.0.0.5", "remote");
    views.tree.Expand("remote");
    network->ClearJobs();
    DeliverListing("127.0.0.5", "\\", {Folder("A"), Folder("B"), File("f")});
    // The job that brought the listing, then one per folder from the last to the first.
    const auto expands = network->JobsOf(JobType::Expand);
    EXPECT_EQ(PathsOf(expands), (std::vector<std::string>{"\\", "\\B\\", "\\A\\"}));
    EXPECT_TRUE(views.tree.NodeOf("A")->IsListingRequested());
    EXPECT_TRUE(views.tree.NodeOf("B")->IsListingRequested());
}

TEST_F(ControllerTest, ListingOfACollapsedNodeFetchesNothingMore) {
    AppearHost("127.0.0.5", "remote");
    network->ClearJobs();
    DeliverListing("127.0.0.5", "\\", {Folder("A")});
    EXPECT_EQ(network->JobsOf(JobType::Expand).size(), 1u);
    EXPECT_FALSE(views.tree.NodeOf("A")->IsListingRequested());
}

TEST_F(ControllerTest, ListingForAJobTheQueueNoLongerKnowsIsDropped) {
    AppearHost("127.0.0.5", "remote");
    const JobId id = network->AddExpandJob(Ip("127.0.0.5"), "\\", nullptr);
    network->Reap(id);
    controller->OnExpandSucceeded(id, {Folder("Music")});
    EXPECT_EQ(views.tree.Find("Music"), kNoTreeItem);
}

TEST_F(ControllerTest, ExpandingAskesOnceForEachUnlistedChildFolder) {
    MusicHost();
    DeliverListing("127.0.0.5", "\\Music\\", {Folder("A"), File("x"), Folder("B")});
    network->ClearJobs();
    CNetNode& music = *views.tree.NodeOf("Music");
    controller->OnTreeItemExpanding(music);
    EXPECT_EQ(PathsOf(network->jobs), (std::vector<std::string>{"\\Music\\B\\", "\\Music\\A\\"}));
    controller->OnTreeItemExpanding(music);
    EXPECT_EQ(network->jobs.size(), 2u);
}

TEST_F(ControllerTest, FailedListingLetsTheFolderBeAskedForAgain) {
    MusicHost();
    CNetNode& music = *views.tree.NodeOf("Music");
    controller->OnTreeItemExpanding(music);
    const FakeNetwork::Job live = network->Last();
    ASSERT_EQ(live.remotePath, "\\Music\\Live\\");
    controller->OnExpandFailed(live.id);
    EXPECT_FALSE(views.tree.NodeOf("Live")->IsListingRequested());
    network->ClearJobs();
    controller->OnTreeItemExpanding(music);
    EXPECT_EQ(PathsOf(network->jobs), std::vector<std::string>{"\\Music\\Live\\"});
}

TEST_F(ControllerTest, FileListShowsFoldersFirstWithSizesInKilobytes) {
    AppearHost("127.0.0.5", "remote");
    DeliverListing("127.0.0.5", "\\", {Folder("Music")});
    DeliverListing("127.0.0.5", "\\Music\\",
                   {File("b.txt", 1025), Folder("zeta"), File("A.txt", 0), Folder("alpha")});
    views.tree.Select("Music");
    controller->FillFileList();
    EXPECT_EQ(views.files.Names(), (std::vector<std::string>{"alpha", "zeta", "A.txt", "b.txt"}));
    EXPECT_EQ(views.files.rows[0].image, ui::kImageFolder);
    EXPECT_EQ(views.files.rows[0].size, "");
    EXPECT_EQ(views.files.rows[2].image, ui::kImageFile);
    EXPECT_EQ(views.files.rows[3].size.substr(0, 1), "2");
    EXPECT_EQ(views.files.rows[3].size.substr(views.files.rows[3].size.size() - 3), " kB");
    // The rows lead back to their nodes.
    ASSERT_EQ(controller->FileListNodes().size(), 4u);
    EXPECT_EQ(controller->FileListNodes()[3]->GetName(), "b.txt");
}

TEST_F(ControllerTest, ColumnClicksToggleAndMoveTheSortMark) {
    MusicHost();
    controller->SortByColumn(0);  // second click on Name: descending
    EXPECT_EQ(views.files.marks[0], ui::SortMark::Descending);
    EXPECT_EQ(views.files.Names(), (std::vector<std::string>{"top.txt", "Live"}));
    controller->SortByColumn(1);
    EXPECT_EQ(views.files.marks[0], ui::SortMark::None);
    EXPECT_EQ(views.files.marks[1], ui::SortMark::Ascending);
    EXPECT_EQ(views.files.Names(), (std::vector<std::string>{"Live", "top.txt"}));
}

TEST_F(ControllerTest, FileListEmptiesWhenItsNodeGoes) {
    MusicHost();
    ASSERT_FALSE(views.files.rows.empty());
    network->RemoveHost(Ip("127.0.0.5"));
    EXPECT_TRUE(views.files.rows.empty());
    EXPECT_TRUE(controller->FileListNodes().empty());
}

TEST_F(ControllerTest, RelistingAParentRefillsTheFileListOfAFolderBelowIt) {
    MusicHost();
    DeliverListing("127.0.0.5", "\\Music\\Live\\", {File("a.mp3")});
    views.tree.Select("Live");
    controller->FillFileList();
    ASSERT_EQ(views.files.Names(), std::vector<std::string>{"a.mp3"});
    // The share's new listing replaces Live and its files.
    DeliverListing("127.0.0.5", "\\Music\\", {Folder("Live")});
    EXPECT_TRUE(views.files.rows.empty());
    EXPECT_TRUE(controller->FileListNodes().empty());
}

}  // namespace
}  // namespace fakes
