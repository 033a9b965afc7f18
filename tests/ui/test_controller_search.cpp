// The search box: answers of several hosts shown as they come, hosts that cannot search or do not
// answer noted once, downloads and "Show in tree" from the results, and a new search dropping
// what the old one still brings.
#include "ui/fakes_controller.h"

namespace fakes {
namespace {

using ui::SearchHit;
using ui::SearchOutcome;
using ui::SearchReply;

SearchReply Hits(std::vector<SearchHit> hits, std::size_t more = 0) {
    return {SearchOutcome::Answered, std::move(hits), more};
}
SearchHit FileHit(const std::string& path, std::int64_t size = 2048) {
    return {path, size, false, std::nullopt};
}
SearchHit FolderHit(const std::string& path) {
    return {path, 0, true, std::nullopt};
}

class SearchTest : public ControllerTest {
protected:
    void SetUp() override {
        ControllerTest::SetUp();
        AppearHost("127.0.0.5", "alpha");
        AppearHost("127.0.0.6", "beta");
        network->ClearJobs();
    }
    void Reply(const char* dotted, const SearchReply& reply) {
        controller->OnSearchReply(network->SearchOf(Ip(dotted)), reply);
    }
    // Selects the results with these paths in the focused result list.
    void SelectResults(const Lines& paths) {
        views.user.focused = FocusTarget::SearchResults;
        views.search.SelectPaths(paths);
    }
};

TEST_F(SearchTest, AnswersOfEveryOtherHostAreShownAsTheyArriveAndBadPathsAreLeftOut) {
    controller->StartSearch("*.txt");
    ASSERT_EQ(network->searches.size(), 2u);  // not this computer itself
    EXPECT_EQ(network->searches[0].pattern, "*.txt");
    EXPECT_TRUE(views.search.shown);
    EXPECT_EQ(views.search.status, "Found: 0. Answered: 0 of 2 computers. Searching…");

    Reply("127.0.0.6", Hits({FileHit("\\Docs\\b.txt", 1025), FileHit("\\Docs\\..\\..\\x.txt"),
                             FolderHit("\\Docs\\old.txt")}));
    EXPECT_EQ(views.search.rows,
              (Lines{"beta|\\Docs\\b.txt|2.00 kB||3", "beta|\\Docs\\old.txt|||1"}));
    Reply("127.0.0.5", Hits({{"\\Music\\a.txt", 1, false, 0}}, 7));
    EXPECT_EQ(views.search.rows.size(), 4u);
    EXPECT_EQ(views.search.rows[2].substr(0, 28), "alpha|\\Music\\a.txt|1.00 kB|1");  // a date
    EXPECT_EQ(views.search.rows[3],
              "note: alpha has 7 more matches; a narrower pattern shows them.");
    EXPECT_EQ(views.search.status, "Found: 3. Answered: 2 of 2 computers.");
    // A second answer for the same search is no answer of this search.
    Reply("127.0.0.5", Hits({FileHit("\\Music\\again.txt")}));
    EXPECT_EQ(views.search.rows.size(), 4u);
}

TEST_F(SearchTest, HostThatCannotSearchOrDoesNotAnswerIsNotedOnceWithoutHoldingTheOthers) {
    AppearHost("127.0.0.7", "gamma");
    controller->StartSearch("song");
    Reply("127.0.0.6", {SearchOutcome::CannotSearch, {}, 0});
    Reply("127.0.0.7", {SearchOutcome::NoAnswer, {}, 0});
    Reply("127.0.0.5", Hits({FileHit("\\Music\\song.mp3")}));
    EXPECT_EQ(views.search.rows,
              (Lines{"note: beta cannot search: its program does not offer searching.",
                     "note: gamma did not answer.", "alpha|\\Music\\song.mp3|2.00 kB||3"}));
    // The notes are no results: nothing to download or show from them.
    views.user.focused = FocusTarget::SearchResults;
    views.search.selected = {0, 1};
    EXPECT_FALSE(controller->GetMenuState().download);
    EXPECT_FALSE(controller->GetMenuState().showInTree);
}

TEST_F(SearchTest, DownloadFromResultsAddsTheFileListsJobsAndAsksBeforeOverwriting) {
    const std::string target = sandbox.MakeFolder("target") + "/";
    views.user.folderAnswer = sandbox.Path("target");
    controller->StartSearch("live");
    Reply("127.0.0.5", Hits({FileHit("\\Music\\Live\\song.mp3", 4096), FolderHit("\\Music\\Live"),
                             FileHit("\\Music\\top.txt")}));
    SelectResults({"\\Music\\Live\\song.mp3", "\\Music\\Live"});
    ASSERT_TRUE(controller->GetMenuState().download);
    controller->Download(false);
    EXPECT_EQ(network->JobLines(),
              (Lines{"retrieve 127.0.0.5 \\Music\\Live\\song.mp3 -> " + target + "song.mp3",
                     "expand 127.0.0.5 \\Music\\Live"}));
    EXPECT_EQ(network->lastListedSize, std::optional<std::uint64_t>(4096));
    EXPECT_EQ(views.transfers.Column(0), (Lines{"song.mp3", "Live"}));

    // A name that is there already is asked about, as from the file list.
    network->ClearJobs();
    sandbox.MakeFile("target/top.txt", "old");
    SelectResults({"\\Music\\top.txt"});
    views.user.answers = {ui::Answer::No};
    controller->OpenSelectedResult(false);
    EXPECT_EQ(
        views.user.questions,
        Lines{"A file with the name \"top.txt\" already exists. Do you want to overwrite it?"});
    EXPECT_TRUE(network->jobs.empty());
}

TEST_F(SearchTest, ShowInTreeListsTheFoldersOnTheWayThenSelectsTheFoldersRowOfTheFile) {
    DeliverListing("127.0.0.5", "\\", {Folder("Music")});
    network->ClearJobs();
    views.tree.onExpand = [this](CNetNode& node) { controller->OnTreeItemExpanding(node); };
    controller->StartSearch("song");
    Reply("127.0.0.5", Hits({FileHit("\\Music\\Live\\song.mp3")}));
    SelectResults({"\\Music\\Live\\song.mp3"});
    controller->ShowSearchResultInTree();
    ASSERT_EQ(network->JobLines(), Lines{"expand 127.0.0.5 \\Music\\"});
    // A listing of another folder does not move the walk on.
    DeliverListing("127.0.0.5", "\\Other\\", {});
    controller->OnExpandSucceeded(network->jobs[0].id, {Folder("Live"), File("cover.jpg")});
    EXPECT_EQ(network->JobsOf(JobType::Expand).back().remotePath, "\\Music\\Live\\");
    EXPECT_TRUE(views.search.shown);
    controller->OnExpandSucceeded(network->JobsOf(JobType::Expand).back().id,
                                  {File("a.mp3"), File("song.mp3")});

    EXPECT_EQ(views.tree.SelectedNode(), views.tree.NodeOf("Live"));
    std::set<TreeItem> opened;
    for (const char* item : {"alpha", "Music"}) opened.insert(views.tree.Find(item));
    EXPECT_EQ(views.tree.expanded, opened);
    EXPECT_EQ(views.files.Names(), (Lines{"a.mp3", "song.mp3"}));
    EXPECT_EQ(views.files.selected, std::vector<std::size_t>{1});
    EXPECT_FALSE(views.search.shown);
    // Opening the folders on the way asked for nothing the walk had: a listing arriving again
    // would replace the selected folder.
    EXPECT_EQ(network->JobLines(),
              (Lines{"expand 127.0.0.5 \\Music\\", "expand 127.0.0.5 \\Other\\",
                     "expand 127.0.0.5 \\Music\\Live\\"}));
}

TEST_F(SearchTest, NewSearchCancelsTheOldOneAndDropsItsLateAnswers) {
    controller->StartSearch("old");
    const ui::SearchId oldAlpha = network->SearchOf(Ip("127.0.0.5"));
    Reply("127.0.0.6", Hits({FileHit("\\Docs\\old.txt")}));
    controller->StartSearch("new");
    EXPECT_EQ(network->cancelledSearches, std::vector<ui::SearchId>{oldAlpha});
    EXPECT_TRUE(views.search.rows.empty());
    controller->OnSearchReply(oldAlpha, Hits({FileHit("\\Music\\old.mp3")}));
    EXPECT_TRUE(views.search.rows.empty());
    Reply("127.0.0.5", Hits({FileHit("\\Music\\new.mp3")}));
    EXPECT_EQ(views.search.rows, Lines{"alpha|\\Music\\new.mp3|2.00 kB||3"});

    // Escape ends what still runs and brings the file list back.
    controller->CloseSearch();
    EXPECT_FALSE(views.search.shown);
    EXPECT_EQ(network->cancelledSearches.back(), network->SearchOf(Ip("127.0.0.6")));
}

}  // namespace
}  // namespace fakes
