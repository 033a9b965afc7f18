// The Download command, single-file downloads, uploads, the rows' countdown and Cancel.
#include <filesystem>

#include "ui/fakes_controller.h"

namespace fakes {
namespace {

using ui::Answer;
using ui::FocusTarget;

class DownloadTest : public ControllerTest {
protected:
    void SetUp() override {
        ControllerTest::SetUp();
        MusicHost();
        target = sandbox.MakeFolder("target") + "/";
        views.folders.answer = sandbox.Path("target");
    }

    // Selects top.txt in the focused file list and downloads it.
    void DownloadTopFile() {
        views.focus.focused = FocusTarget::FileList;
        views.files.SelectNames({"top.txt"});
        controller->Download(false);
    }

    const FakeTransferList::Row& Row(std::size_t i) const { return views.transfers.rows.at(i); }

    std::string target;
};

TEST_F(DownloadTest, FileFromTheFileListGoesIntoTheChosenFolder) {
    DownloadTopFile();
    EXPECT_EQ(views.folders.asked, 1);
    EXPECT_EQ(views.folders.lastTitle, "Select the target directory.");
    const auto retrieves = network->JobsOf(JobType::Retrieve);
    ASSERT_EQ(retrieves.size(), 1u);
    EXPECT_EQ(retrieves[0].address, Ip("127.0.0.5"));
    EXPECT_EQ(retrieves[0].remotePath, "\\Music\\top.txt");
    EXPECT_EQ(retrieves[0].localPath, target + "top.txt");
    // Each download watches its own cancel flag, not the program's.
    EXPECT_NE(retrieves[0].stop, network->JobsOf(JobType::Expand)[0].stop);
    ASSERT_EQ(views.transfers.rows.size(), 1u);
    EXPECT_EQ(Row(0).name, "top.txt");
    EXPECT_EQ(Row(0).status, "Wait");
    EXPECT_EQ(Row(0).host, "remote");
    EXPECT_EQ(Row(0).image, ui::kImageDownload);
    std::string stored;
    Settings().GetString("global", "lastdownloadpath", stored, "");
    EXPECT_EQ(stored, target);
}

TEST_F(DownloadTest, RunningDownloadShowsProgressAndFinishes) {
    DownloadTopFile();
    const JobId id = network->Last().id;
    controller->OnDownloadStarted(id);
    EXPECT_EQ(Row(0).status, "Receive 0% (0.00 KB/s)");
    controller->OnDownloadProgress(id, 42, 12.5);
    EXPECT_EQ(Row(0).status, "Receive 42% (12.50 KB/s)");
    controller->OnDownloadFinished(id, true);
    EXPECT_EQ(Row(0).status, "Finished");
    EXPECT_EQ(Transfers().Running().downloads, 0u);
    EXPECT_TRUE(Transfers().Rows().At(0).item.finished);
    EXPECT_EQ(Transfers().Rows().At(0).item.id, 0u);
}

TEST_F(DownloadTest, FailedDownloadSaysWhetherItWasCancelled) {
    DownloadTopFile();
    const JobId failing = network->Last().id;
    controller->OnDownloadFinished(failing, false);
    EXPECT_EQ(Row(0).status, "Failed");

    controller->Download(false);
    const FakeNetwork::Job second = network->Last();
    views.transfers.selected = {1};
    controller->CancelSelectedTransfers();
    EXPECT_TRUE(second.stop->load());
    controller->OnDownloadFinished(second.id, false);
    EXPECT_EQ(Row(1).status, "Cancelled");
}

TEST_F(DownloadTest, FinishedRowStaysFiveToSixSecondsAndRunningRowsStay) {
    DownloadTopFile();
    const JobId first = network->Last().id;
    views.files.SelectNames({"Live"});
    views.folders.answer = sandbox.Path("target");
    controller->Download(false);  // a folder download, still running
    controller->OnDownloadFinished(first, true);
    ASSERT_EQ(views.transfers.rows.size(), 2u);
    for (int tick = 0; tick < 5; ++tick) controller->OnSecondTimer();
    EXPECT_EQ(views.transfers.rows.size(), 2u);
    controller->OnSecondTimer();
    ASSERT_EQ(views.transfers.rows.size(), 1u);
    EXPECT_EQ(Row(0).name, "Live");
    for (int tick = 0; tick < 20; ++tick) controller->OnSecondTimer();
    EXPECT_EQ(views.transfers.rows.size(), 1u);
}

TEST_F(DownloadTest, FileBeingDownloadedIsLeftOutOfASecondCommand) {
    DownloadTopFile();
    controller->Download(false);
    EXPECT_EQ(network->JobsOf(JobType::Retrieve).size(), 1u);
    EXPECT_EQ(views.folders.asked, 1);  // nothing left to ask a folder for
}

TEST_F(DownloadTest, CancelledFolderQuestionStartsNothing) {
    views.folders.answer.clear();
    DownloadTopFile();
    EXPECT_TRUE(network->JobsOf(JobType::Retrieve).empty());
    EXPECT_TRUE(views.transfers.rows.empty());
}

TEST_F(DownloadTest, DownloadToLastFolderAsksOnlyWhenTheFolderIsGone) {
    DownloadTopFile();
    network->Reap(network->Last().id);
    controller->OnDownloadFinished(network->Last().id, true);
    controller->Download(true);
    EXPECT_EQ(views.folders.asked, 1);
    EXPECT_EQ(network->JobsOf(JobType::Retrieve).size(), 2u);

    network->Reap(network->Last().id);
    controller->OnDownloadFinished(network->Last().id, true);
    std::filesystem::remove_all(sandbox.Path("target"));
    views.folders.answer = sandbox.MakeFolder("other");
    controller->Download(true);
    EXPECT_EQ(views.folders.asked, 2);
    EXPECT_EQ(views.folders.lastStart, target);
    EXPECT_EQ(network->Last().localPath, sandbox.Path("other") + "/top.txt");
}

TEST_F(DownloadTest, ExistingFileAsksBeforeItIsOverwritten) {
    sandbox.MakeFile("target/top.txt", "old");
    views.prompt.answers = {Answer::No};
    DownloadTopFile();
    ASSERT_EQ(views.prompt.questions.size(), 1u);
    EXPECT_EQ(views.prompt.questions[0],
              "A file with the name \"top.txt\" already exists. Do you want to overwrite it?");
    EXPECT_EQ(views.prompt.lastButtons, ui::PromptButtons::YesNoCancel);
    EXPECT_TRUE(network->JobsOf(JobType::Retrieve).empty());

    views.prompt.answers = {Answer::Yes};
    controller->Download(false);
    EXPECT_EQ(network->JobsOf(JobType::Retrieve).size(), 1u);
}

TEST_F(DownloadTest, CancelInTheQuestionEndsTheCommandButKeepsWhatStarted) {
    DeliverListing("127.0.0.5", "\\Music\\", {File("a"), File("b"), File("c")});
    views.tree.Select("Music");
    controller->FillFileList();
    sandbox.MakeFile("target/b");
    sandbox.MakeFolder("target/c");
    views.prompt.answers = {Answer::Cancel};
    views.focus.focused = FocusTarget::FileList;
    views.files.SelectNames({"a", "b", "c"});
    controller->Download(false);
    const auto retrieves = network->JobsOf(JobType::Retrieve);
    ASSERT_EQ(retrieves.size(), 1u);
    EXPECT_EQ(retrieves[0].remotePath, "\\Music\\a");
    EXPECT_EQ(views.prompt.questions.size(), 1u);
}

TEST_F(DownloadTest, ExistingFolderAsksWithTheFolderQuestion) {
    sandbox.MakeFolder("target/Live");
    views.prompt.answers = {Answer::Yes};
    views.focus.focused = FocusTarget::FileList;
    views.files.SelectNames({"Live"});
    controller->Download(false);
    ASSERT_EQ(views.prompt.questions.size(), 1u);
    EXPECT_EQ(views.prompt.questions[0].rfind("A folder named \"Live\" already exists.", 0), 0u);
    EXPECT_EQ(Transfers().Running().folderDownloads, 1u);
}

TEST_F(DownloadTest, CanDownloadFollowsFocusSelectionAndHost) {
    views.focus.focused = FocusTarget::FileList;
    views.files.selected.clear();
    EXPECT_FALSE(controller->CanDownload());
    views.files.SelectNames({"top.txt"});
    EXPECT_TRUE(controller->CanDownload());
    views.focus.focused = FocusTarget::Tree;
    EXPECT_TRUE(controller->CanDownload());  // the share itself
    views.tree.Select("remote");
    EXPECT_FALSE(controller->CanDownload());  // a host as a whole is not offered
    views.focus.focused = FocusTarget::ChatInput;
    views.tree.Select("Music");
    EXPECT_FALSE(controller->CanDownload());
    views.tree.selected = kNoTreeItem;
    views.focus.focused = FocusTarget::Tree;
    EXPECT_FALSE(controller->CanDownload());
}

TEST_F(DownloadTest, LocalHostOffersDownloadsOnlyWithDebugFeatures) {
    DeliverListing("127.0.0.1", "\\", {Folder("Mine")});
    views.tree.Select("Mine");
    views.focus.focused = FocusTarget::Tree;
    EXPECT_FALSE(controller->CanDownload());
    controller->Download(false);
    EXPECT_EQ(views.folders.asked, 0);

    StartController(/*debugFeatures=*/true);
    DeliverListing("127.0.0.1", "\\", {Folder("Mine")});
    views.tree.Select("Mine");
    EXPECT_TRUE(controller->CanDownload());
}

TEST_F(DownloadTest, NameThatIsNoPlainFileNameIsNotWritten) {
    DeliverListing("127.0.0.5", "\\Music\\", {File("../escape"), File("ok")});
    views.tree.Select("Music");
    controller->FillFileList();
    views.focus.focused = FocusTarget::FileList;
    views.files.SelectNames({"../escape", "ok"});
    controller->Download(false);
    const auto retrieves = network->JobsOf(JobType::Retrieve);
    ASSERT_EQ(retrieves.size(), 1u);
    EXPECT_EQ(retrieves[0].localPath, target + "ok");
}

TEST_F(DownloadTest, OpeningAFileRowDownloadsItAndAFolderRowOpensIt) {
    views.focus.focused = FocusTarget::FileList;
    views.files.SelectNames({"Live"});
    controller->OpenSelectedRow(false);
    EXPECT_EQ(views.tree.SelectedNode(), views.tree.NodeOf("Live"));
    EXPECT_TRUE(network->JobsOf(JobType::Retrieve).empty());

    views.tree.Select("Music");
    controller->FillFileList();
    views.files.SelectNames({"top.txt"});
    controller->OpenSelectedRow(false);
    EXPECT_EQ(network->JobsOf(JobType::Retrieve).size(), 1u);
}

class UploadTest : public ControllerTest {
protected:
    void SetUp() override {
        ControllerTest::SetUp();
        AppearHost("127.0.0.5", "remote");
        network->uploads[7] =
            ServerConnectionInfo{proto::JobType::Retrieve, Ip("127.0.0.5"), "/srv/share/song.mp3"};
    }
};

TEST_F(UploadTest, RequestedUploadGetsARowAndItsOwnCancelFlag) {
    const StopFlag* flag = controller->OnUploadRequested(7);
    ASSERT_NE(flag, nullptr);
    EXPECT_FALSE(flag->load());
    ASSERT_EQ(views.transfers.rows.size(), 1u);
    EXPECT_EQ(views.transfers.rows[0].name, "/srv/share/song.mp3");
    EXPECT_EQ(views.transfers.rows[0].status, "Wait");
    EXPECT_EQ(views.transfers.rows[0].host, "remote");
    EXPECT_EQ(views.transfers.rows[0].image, ui::kImageUpload);
    controller->OnUploadStarted(7);
    EXPECT_EQ(views.transfers.rows[0].status, "Send 0% (0.00 KB/s)");
    controller->OnUploadProgress(7, 50, 1024.0);
    EXPECT_EQ(views.transfers.rows[0].status, "Send 50% (1,024.00 KB/s)");
    controller->OnUploadFinished(7, true);
    EXPECT_EQ(views.transfers.rows[0].status, "Finished");
    EXPECT_EQ(Transfers().Running().uploads, 0u);
}

TEST_F(UploadTest, UnknownUploadGetsNothing) {
    EXPECT_EQ(controller->OnUploadRequested(8), nullptr);
    EXPECT_TRUE(views.transfers.rows.empty());
    controller->OnUploadFinished(8, true);
    EXPECT_TRUE(views.transfers.rows.empty());
}

TEST_F(UploadTest, CancelledUploadEndsAsCancelledAndAFailedOneAsFailed) {
    const StopFlag* flag = controller->OnUploadRequested(7);
    network->uploads[9] = network->uploads[7];
    controller->OnUploadRequested(9);
    views.transfers.selected = {0};
    controller->CancelSelectedTransfers();
    EXPECT_TRUE(flag->load());
    controller->OnUploadFinished(7, false);
    controller->OnUploadFinished(9, false);
    EXPECT_EQ(views.transfers.rows[0].status, "Cancelled");
    EXPECT_EQ(views.transfers.rows[1].status, "Failed");
}

TEST_F(UploadTest, StandbyIsAskedOnlyForSingleTransfersAndClosingForAny) {
    EXPECT_TRUE(controller->ConfirmStandby());
    EXPECT_TRUE(controller->ConfirmClose());
    EXPECT_TRUE(views.prompt.questions.empty());
    controller->OnUploadRequested(7);
    views.prompt.answers = {Answer::Cancel};
    EXPECT_FALSE(controller->ConfirmStandby());
    EXPECT_EQ(views.prompt.lastButtons, ui::PromptButtons::YesNoCancel);
    views.prompt.answers = {Answer::Yes};
    EXPECT_TRUE(controller->ConfirmClose());
    EXPECT_EQ(views.prompt.lastButtons, ui::PromptButtons::YesNo);
    EXPECT_EQ(views.prompt.questions.size(), 2u);
}

}  // namespace
}  // namespace fakes
