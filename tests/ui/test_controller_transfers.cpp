// Downloads of files and folders, uploads, the transfer rows with their countdown, and Cancel.
#include <filesystem>
#include <functional>

#include "ui/fakes_controller.h"
#include "ui/transfers/transfer_rows.h"

namespace fakes {
namespace {

using ui::Answer;

class TransferTest : public ControllerTest {
protected:
    void SetUp() override {
        ControllerTest::SetUp();
        MusicHost();
        target = sandbox.MakeFolder("target") + "/";
        views.user.folderAnswer = sandbox.Path("target");
    }
    // Downloads these rows of the shown file list; no rows: the selected tree node itself.
    void Download(const Lines& rows, bool useLastFolder = false) {
        if (rows.empty())
            views.user.focused = FocusTarget::Tree;
        else
            SelectRows(rows);
        controller->Download(useLastFolder);
    }
    // The walk's listing job for `path` brings `listing`.
    void ListingArrives(const std::string& path, const std::vector<DirEntry>& listing,
                        std::size_t leftOut = 0) {
        for (const auto& job : network->JobsOf(JobType::Expand)) {
            if (job.remotePath == path)
                return controller->OnExpandSucceeded(job.id, listing, leftOut);
        }
        ADD_FAILURE() << "no listing job for " << path;
    }
    FakeNetwork::Job Retrieve(std::size_t i) const {
        return network->JobsOf(JobType::Retrieve).at(i);
    }
    Lines Retrieves() const {
        Lines lines;
        for (const auto& job : network->JobsOf(JobType::Retrieve))
            lines.push_back(job.remotePath + " -> " + job.localPath);
        return lines;
    }
    std::string Status() const { return views.transfers.rows.at(0)[1]; }

    std::string target;
};

TEST_F(TransferTest, FileGoesIntoTheChosenFolderAndItsRowShowsHowItGoes) {
    Download({"top.txt"});
    EXPECT_EQ(views.user.folderQuestions, Lines{"Select the target directory. at "});
    EXPECT_EQ(Retrieves(), Lines{"\\Music\\top.txt -> " + target + "top.txt"});
    EXPECT_EQ(Setting("global", "lastdownloadpath"), target);
    EXPECT_EQ(network->lastListedSize, std::optional<std::uint64_t>(2048));  // bounds the reply
    const FakeNetwork::Job job = network->Last();
    EXPECT_NE(job.stop, network->jobs[0].stop);  // its own cancel flag, not the program's
    EXPECT_EQ(views.transfers.rows, (std::vector<Lines>{{"top.txt", "Wait", "remote", "8"}}));
    controller->OnDownloadStarted(job.id);
    controller->OnDownloadProgress(job.id, 42, 1234.5);
    EXPECT_EQ(Status(), "Receive 42% (1,234.50 KB/s)");
    controller->OnDownloadFinished(job.id, {});
    EXPECT_EQ(Status(), "Finished");
    EXPECT_EQ(Transfers().Running().downloads, 0u);

    // A failed download says why, or that it was cancelled.
    network->Reap(job.id);
    Download({"top.txt"});
    controller->OnDownloadFinished(network->Last().id, util::MakeError(util::ErrorKind::DiskFull));
    Download({"top.txt"});
    views.transfers.selected = {2};
    controller->CancelSelectedTransfers();
    EXPECT_TRUE(network->Last().stop->load());
    controller->OnDownloadFinished(network->Last().id, kLost);
    EXPECT_EQ(views.transfers.Column(1), (Lines{"Finished", "Failed: disk full", "Cancelled"}));
    EXPECT_EQ(views.transfers.states[2], ui::TransferState::Cancelled);  // the console's lines
    // Ended rows go after a few seconds (how many is the rows' own test).
    for (int tick = 0; tick < 6; ++tick) controller->OnSecondTimer();
    EXPECT_TRUE(views.transfers.rows.empty());
}

TEST_F(TransferTest, TargetFolderIsAskedWhenTheLastOneIsGoneAndItsCancelEndsTheCommand) {
    views.user.folderAnswer.clear();  // the user cancels the folder question
    Download({"top.txt"});
    EXPECT_TRUE(views.transfers.rows.empty());
    views.user.folderAnswer = sandbox.Path("target");
    Download({"top.txt"});
    Download({"top.txt"});  // a file being fetched is left out: nothing left to ask for
    EXPECT_EQ(views.user.folderQuestions.size(), 2u);
    controller->OnDownloadFinished(network->Last().id, {});
    std::filesystem::remove_all(sandbox.Path("target"));
    views.user.folderAnswer = sandbox.MakeFolder("other");
    Download({"top.txt"}, /*useLastFolder=*/true);  // a last folder that exists is e2e's
    EXPECT_EQ(views.user.folderQuestions.back(), "Select the target directory. at " + target);
    EXPECT_EQ(Retrieves(), (Lines{"\\Music\\top.txt -> " + target + "top.txt",
                                  "\\Music\\top.txt -> " + sandbox.Path("other/top.txt")}));
}

TEST_F(TransferTest, ExistingNamesAreAskedAboutAndCancelEndsTheCommand) {
    const std::tuple<std::deque<Answer>, Lines, std::size_t> cases[] = {
        {{Answer::Yes, Answer::No}, {"a", "c"}, 1}, {{Answer::Yes, Answer::Cancel}, {"a"}, 1}};
    for (const auto& [answers, files, folders] : cases) {
        SCOPED_TRACE(files.size());
        StartController();
        MusicHost();
        DeliverListing("127.0.0.5", "\\Music\\", {File("a"), File("b"), File("c"), Folder("Live")});
        sandbox.MakeFile("target/b", "old");
        sandbox.MakeFolder("target/Live");
        views.user.questions.clear();
        views.user.answers = answers;
        Download({"a", "b", "c", "Live"});
        Lines expected;
        for (const auto& name : files)
            expected.push_back("\\Music\\" + name + " -> " + target + name);
        EXPECT_EQ(Retrieves(), expected);
        EXPECT_EQ(Transfers().Running().folderDownloads, folders);
        EXPECT_EQ(views.user.lastButtons, ui::PromptButtons::YesNoCancel);
    }
    // Folders come first in the file list, so Live is asked about first.
    ASSERT_EQ(views.user.questions.size(), 2u);
    EXPECT_EQ(views.user.questions[0].rfind("A folder named \"Live\" already exists.", 0), 0u);
    EXPECT_EQ(views.user.questions[1],
              "A file with the name \"b\" already exists. Do you want to overwrite it?");
}

TEST_F(TransferTest, OpeningAFolderRowOpensItAndAFileRowDownloadsItUnlessItsNameIsUnsafe) {
    SelectRows({"Live"});
    controller->OpenSelectedRow(false);
    EXPECT_EQ(views.tree.SelectedNode(), views.tree.NodeOf("Live"));
    Show("Music");
    DeliverListing("127.0.0.5", "\\Music\\", {File("../escape"), File(".."), File("ok")});
    SelectRows({"../escape", "..", "ok"});
    views.user.answers.assign(3, Answer::Yes);  // an unsafe name must not even be asked about
    controller->OpenSelectedRow(false);
    EXPECT_EQ(Retrieves(), Lines{"\\Music\\ok -> " + target + "ok"});
    EXPECT_TRUE(views.user.questions.empty());
}

TEST_F(TransferTest, FolderIsRecreatedUnderTheTargetAFewFilesAtATime) {
    Download({"Live"});
    EXPECT_EQ(views.transfers.Column(0), Lines{"Live"});
    ListingArrives("\\Music\\Live", {File("a.mp3"), Folder("x")});
    EXPECT_EQ(Retrieves(), Lines{"\\Music\\Live\\a.mp3 -> " + target + "Live/a.mp3"});
    // Listings and files of the walk watch the walk's cancel flag.
    EXPECT_EQ(network->Last().stop, network->JobsOf(JobType::Expand).back().stop);
    const JobId first = Retrieve(0).id;
    controller->OnDownloadProgress(first, 30, 2.0);
    EXPECT_EQ(Status(), "Receive (1/1) 30% (2.00 KB/s)");
    // The user's own listing of x counts for the walk, its folder y is listed next, and its
    // files start beside the first one, at most four at once.
    DeliverListing("127.0.0.5", "\\Music\\Live\\x\\",
                   {File("c"), File("d"), File("b.mp3", 77), File("e"), Folder("y")});
    ListingArrives("\\Music\\Live\\x\\y", {});
    ASSERT_EQ(Retrieves().size(), 4u);
    EXPECT_EQ(Retrieve(3).localPath, target + "Live/x/b.mp3");
    EXPECT_EQ(network->lastListedSize, std::optional<std::uint64_t>(77));
    const std::vector<JobId> others{Retrieve(1).id, Retrieve(2).id, Retrieve(3).id};
    controller->OnDownloadProgress(first, 60, 2.0);
    EXPECT_EQ(Status(), "Receive (4/5) 60% (2.00 KB/s)");
    network->ClearJobs();
    controller->OnDownloadFinished(first, {});
    EXPECT_EQ(Retrieves(), Lines{"\\Music\\Live\\x\\e -> " + target + "Live/x/e"});
    for (const JobId id : others) controller->OnDownloadFinished(id, {});
    EXPECT_NE(Status(), "Finished") << "one file is still on its way";
    controller->OnDownloadFinished(Retrieve(0).id, {});
    EXPECT_EQ(Status(), "Finished");
    EXPECT_EQ(Transfers().Running().folderDownloads, 0u);

    network->ClearJobs();
    Download({});  // the share itself keeps its name
    Download({});  // and is left out of a second command
    ListingArrives("\\Music", {File("a.mp3")}, 2);
    EXPECT_EQ(Retrieve(0).localPath, target + "Music/a.mp3");
    EXPECT_EQ(views.transfers.Column(0), (Lines{"Live", "Music"}));
    // A cut listing: the row ends saying so instead of a plain "Finished".
    controller->OnDownloadFinished(Retrieve(0).id, {});
    EXPECT_EQ(views.transfers.rows.at(1)[1], "This listing was cut: 2 more entries were left out.");
}

TEST_F(TransferTest, WalkEndsAtItsFirstFailureOrCancelOrWhenNothingIsLeft) {
    auto cancel = [&](const FakeNetwork::Job& running) {
        views.transfers.selected = {0};
        controller->CancelSelectedTransfers();
        EXPECT_TRUE(running.stop->load());
    };
    auto listing = [&] { return network->JobsOf(JobType::Expand).back(); };
    const std::vector<DirEntry> twoFiles{File("a"), File("b")};
    const std::tuple<const char*, std::function<void()>, const char*, std::size_t> cases[] = {
        {"empty folder", [&] { ListingArrives("\\Music\\Live", {}); }, "Finished", 0},
        {"file cancelled",
         [&] {
             ListingArrives("\\Music\\Live", twoFiles);
             cancel(Retrieve(0));
             controller->OnDownloadFinished(Retrieve(0).id, kLost);
         },
         "Cancelled", 2},
        {"listing failed",
         [&] {
             ListingArrives("\\Music\\Live", {File("a"), Folder("x")});
             controller->OnExpandFailed(listing().id);
         },
         "Failed", 1}};
    for (const auto& [name, steps, status, files] : cases) {
        SCOPED_TRACE(name);
        StartController();
        MusicHost();
        // The empty folder of the first case arrived too; the others start afresh.
        std::filesystem::remove_all(target + "Live");
        Download({"Live"});
        steps();
        EXPECT_EQ(Status(), status);
        EXPECT_EQ(Retrieves().size(), files);
        EXPECT_EQ(Transfers().Running().folderDownloads, 0u);
    }
    // The failed listing left a file running that still reads the walk's flag: the walk's record
    // waits for its report.
    EXPECT_TRUE(Retrieve(0).stop->load());
    EXPECT_EQ(Transfers().RetiredWalkCount(), 1u);
    controller->OnDownloadFinished(Retrieve(0).id, kLost);
    EXPECT_EQ(Transfers().RetiredWalkCount(), 0u);
}

TEST_F(TransferTest, FolderDownloadNeverWritesThroughALinkPlantedInTheTarget) {
    sandbox.MakeFolder("target/Live");
    std::filesystem::create_directory_symlink(sandbox.MakeFolder("elsewhere"), target + "Live/x");
    views.user.answers = {Answer::Yes};  // the folder exists: replace it
    Download({"Live"});
    ListingArrives("\\Music\\Live", {File("a"), Folder("x")});
    ListingArrives("\\Music\\Live\\x", {File("evil")});
    EXPECT_EQ(Retrieves(), Lines{"\\Music\\Live\\a -> " + target + "Live/a"});
    EXPECT_EQ(Status(), "Failed: file cannot be written");
    EXPECT_TRUE(Retrieve(0).stop->load()) << "the file still running stops with it";
}

// A failed end is the downloads' part.
TEST_F(TransferTest, UploadRowsShowHowUploadsGoAndEnd) {
    EXPECT_EQ(controller->OnUploadRequested(7), nullptr);  // the server knows no such upload
    controller->OnUploadFinished(7, true);
    EXPECT_TRUE(views.transfers.rows.empty());
    for (const std::uint32_t id : {7, 8})
        network->uploads[id] = {proto::RequestKind::Retrieve, Ip("127.0.0.5"), "/s/song"};
    const StopFlag* flag = controller->OnUploadRequested(7);
    ASSERT_NE(flag, nullptr);
    EXPECT_FALSE(flag->load());
    EXPECT_EQ(views.transfers.rows, (std::vector<Lines>{{"/s/song", "Wait", "remote", "7"}}));
    controller->OnUploadStarted(7);
    EXPECT_EQ(Status(), "Send 0% (0.00 KB/s)");
    controller->OnUploadProgress(7, 50, 1024.0);
    EXPECT_EQ(Status(), "Send 50% (1,024.00 KB/s)");
    controller->OnUploadFinished(7, true);
    EXPECT_EQ(Transfers().Running().uploads, 0u);
    const StopFlag* cancelled = controller->OnUploadRequested(8);
    views.transfers.selected = {1};
    controller->CancelSelectedTransfers();
    EXPECT_TRUE(cancelled->load());
    controller->OnUploadFinished(8, false);
    EXPECT_EQ(views.transfers.Column(1), (Lines{"Finished", "Cancelled"}));
}

TEST_F(TransferTest, ClosingIsAskedWhileAnyTransferRuns) {
    EXPECT_TRUE(controller->ConfirmClose());
    Download({"Live"});
    views.user.answers = {Answer::No};
    EXPECT_FALSE(controller->ConfirmClose());  // folder downloads count too
    EXPECT_EQ(views.user.lastButtons, ui::PromptButtons::YesNo);
    network->uploads[7] = {proto::RequestKind::Retrieve, Ip("127.0.0.1"), "f"};
    controller->OnUploadRequested(7);
    views.user.answers = {Answer::Yes};
    EXPECT_TRUE(controller->ConfirmClose());
    EXPECT_EQ(views.user.questions.size(), 2u);
    // Shutdown raises the flags of both hosts' two light jobs, the walk's listing and a download.
    Download({"top.txt"});
    std::string flagsAtWait;
    network->flagsAtWait = &flagsAtWait;
    controller->Shutdown();
    EXPECT_EQ(flagsAtWait, "111111");
}

ui::TransferRow Row(const std::string& name, std::uint32_t id, ui::FolderDownload* walk = {}) {
    ui::TransferRow row;
    row.name = name;
    row.item = {.id = id, .folder = walk};
    return row;
}

TEST_F(TransferTest, RowsAreFoundWhileFinishedRunsAroundThemGo) {
    FakeTransferList view;
    ui::TransferRows rows(view);
    ui::FolderDownload walk(*network, 1, "\\S\\f", "/t/");
    // Finished rows in two runs, with running rows before, between and behind them.
    rows.Append(Row("running", 1));
    for (std::uint32_t id = 10; id < 15; ++id) rows.Append(Row("a" + std::to_string(id), id));
    rows.Append(Row("folder", 0, &walk));
    for (std::uint32_t id = 20; id < 23; ++id) rows.Append(Row("b" + std::to_string(id), id));
    rows.Append(Row("last", 2));
    for (std::uint32_t id : {10u, 11u, 12u, 13u, 14u, 20u, 21u, 22u})
        rows.MarkDone(*rows.FindById(id));
    EXPECT_FALSE(rows.FindById(12)) << "a finished row lets go of its id";

    for (int tick = 0; tick < 5; ++tick) rows.CountDown();
    EXPECT_EQ(rows.Count(), 11u);
    rows.CountDown();
    EXPECT_EQ(view.Column(0), (Lines{"running", "folder", "last"}));
    ASSERT_EQ(rows.Count(), 3u);
    EXPECT_EQ(rows.FindById(1), 0u);
    EXPECT_EQ(rows.FindByFolder(&walk), 1u);
    EXPECT_EQ(rows.FindById(2), 2u);
}

}  // namespace
}  // namespace fakes
