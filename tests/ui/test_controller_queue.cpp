// Downloads that outlive the program: the unfinished ones come back paused after a restart and
// go on when their host appears; Pause keeps, Resume goes on, Cancel throws away; a damaged or
// hostile state file costs nothing but itself; the speed limit of the settings reaches the
// network.
#include <filesystem>
#include <fstream>

#include "core/atomic_file.h"
#include "ui/fakes_controller.h"
#include "ui/transfers/unfinished_downloads.h"

namespace fakes {
namespace {

using ui::TransferState;
using ui::UnfinishedDownload;

class QueueTest : public ControllerTest {
protected:
    void SetUp() override {
        stateFile = sandbox.Path("state/downloads");  // its folder is made by the first write
        ControllerTest::SetUp();
        target = sandbox.MakeFolder("target") + "/";
        views.user.folderAnswer = sandbox.Path("target");
        MusicHost();
    }
    void Download(const Lines& rows) {
        SelectRows(rows);
        controller->Download(false);
    }
    std::vector<UnfinishedDownload> Kept() const { return ui::LoadUnfinishedDownloads(stateFile); }
    Lines KeptPaths() const {
        Lines paths;
        for (const auto& kept : Kept()) paths.push_back(kept.remotePath + " -> " + kept.localPath);
        return paths;
    }
    void OnRows(const std::vector<std::size_t>& rows, void (ui::CLumvaleDialog::*command)()) {
        views.user.focused = FocusTarget::TransferList;
        views.transfers.selected = rows;
        (controller.get()->*command)();
    }
    Lines Retrieves() const {
        Lines lines;
        for (const auto& job : network->JobsOf(JobType::Retrieve))
            lines.push_back(job.remotePath + " -> " + job.localPath);
        return lines;
    }

    std::string target;
};

const util::Status kStopped = util::MakeError(util::ErrorKind::Stopped);

TEST_F(QueueTest, DownloadsInterruptedByClosingComeBackPausedAndFinishWhenTheirHostIsBack) {
    Download({"top.txt", "Live"});
    // Folders come first in the file list, and so in the transfer list.
    const Lines expected{"\\Music\\Live -> " + target, "\\Music\\top.txt -> " + target + "top.txt"};
    // Kept from the moment they start: a kill loses nothing either.
    EXPECT_EQ(KeptPaths(), expected);
    EXPECT_EQ(Kept().at(1).hostName, "remote");
    EXPECT_EQ(Kept().at(1).listedSize, 2048);
    controller->OnDownloadProgress(network->JobsOf(JobType::Retrieve).at(0).id, 40, 10.0);

    StartController();  // the window closed; the next start
    EXPECT_EQ(views.transfers.rows, (std::vector<Lines>{{"Live", "Paused", "remote", "8"},
                                                        {"top.txt", "Paused", "remote", "8"}}));
    EXPECT_EQ(views.transfers.states[0], TransferState::Paused);
    EXPECT_TRUE(network->JobsOf(JobType::Retrieve).empty());
    EXPECT_EQ(KeptPaths(), expected);
    // Another host's arrival does not start them; their own does, to the same places.
    AppearHost("127.0.0.9", "other");
    EXPECT_TRUE(network->JobsOf(JobType::Retrieve).empty());
    AppearHost("127.0.0.5", "remote");
    EXPECT_EQ(Retrieves(), Lines{"\\Music\\top.txt -> " + target + "top.txt"});
    EXPECT_EQ(network->lastListedSize, std::optional<std::uint64_t>(2048));
    EXPECT_EQ(network->JobsOf(JobType::Expand).back().remotePath, "\\Music\\Live");
    EXPECT_EQ(views.transfers.Column(1), (Lines{"Wait", "Wait"}));

    controller->OnDownloadFinished(network->JobsOf(JobType::Retrieve).at(0).id, {});
    EXPECT_EQ(views.transfers.Column(1), (Lines{"Wait", "Finished"}));
    // Ends are written at the next tick, so that a burst of them costs one write.
    EXPECT_EQ(KeptPaths(), expected);
    controller->OnSecondTimer();
    EXPECT_EQ(KeptPaths(), Lines{"\\Music\\Live -> " + target});
    for (const auto& job : network->JobsOf(JobType::Expand)) {
        if (job.remotePath == "\\Music\\Live") controller->OnExpandSucceeded(job.id, {});
    }
    EXPECT_EQ(views.transfers.Column(1), (Lines{"Finished", "Finished"}));
    controller->OnSecondTimer();
    EXPECT_TRUE(Kept().empty());
    // Downloads that failed are not kept either; the close writes what the tick had not yet, so
    // a third start shows nothing.
    Download({"top.txt"});
    controller->OnDownloadFinished(network->Last().id,
                                   util::MakeError(util::ErrorKind::RefusedByHost));
    StartController();
    EXPECT_TRUE(views.transfers.rows.empty());
    EXPECT_TRUE(Kept().empty());
}

TEST_F(QueueTest, InterruptedDownloadIsKeptAndTriedAgainWhileAFailedOneEnds) {
    Download({"top.txt"});
    const std::string local = target + "top.txt";
    const std::string interrupted = "Interrupted; goes on when the host answers";
    controller->OnDownloadFinished(network->Last().id, kLost);
    EXPECT_EQ(views.transfers.Column(1), Lines{interrupted});
    EXPECT_EQ(views.transfers.states[0], TransferState::Paused);
    EXPECT_TRUE(network->discarded.empty());  // what arrived stays for the next attempt
    controller->OnSecondTimer();
    EXPECT_EQ(KeptPaths(), Lines{"\\Music\\top.txt -> " + local});

    // A host still in the tree is asked again after a while, a few times, then only when it
    // comes back; each attempt goes to the same place.
    for (int attempt = 1; attempt <= 3; ++attempt) {
        for (int tick = 0; tick < 15; ++tick) controller->OnSecondTimer();
        ASSERT_EQ(network->JobsOf(JobType::Retrieve).size(), static_cast<std::size_t>(attempt + 1));
        EXPECT_EQ(network->Last().localPath, local);
        controller->OnDownloadFinished(
            network->Last().id, util::MakeError(attempt == 2 ? util::ErrorKind::TimedOut
                                                             : util::ErrorKind::CannotConnect));
        EXPECT_EQ(views.transfers.Column(1), Lines{interrupted});
    }
    for (int tick = 0; tick < 60; ++tick) controller->OnSecondTimer();
    EXPECT_EQ(network->JobsOf(JobType::Retrieve).size(), 4u);
    EXPECT_EQ(KeptPaths(), Lines{"\\Music\\top.txt -> " + local});
    network->RemoveHost(Ip("127.0.0.5"));
    MusicHost();
    ASSERT_EQ(network->JobsOf(JobType::Retrieve).size(), 5u);
    controller->OnDownloadFinished(network->JobsOf(JobType::Retrieve).back().id, {});
    EXPECT_EQ(views.transfers.Column(1), Lines{"Finished"});
    for (int tick = 0; tick < 6; ++tick) controller->OnSecondTimer();
    ASSERT_TRUE(views.transfers.rows.empty());

    // A user's pause is not undone by the timer, and a damaged file ends the download.
    Download({"top.txt"});
    controller->OnDownloadFinished(network->Last().id, kLost);
    OnRows({0}, &ui::CLumvaleDialog::ResumeSelectedTransfers);
    OnRows({0}, &ui::CLumvaleDialog::PauseSelectedTransfers);
    controller->OnDownloadFinished(network->Last().id, kStopped);
    const std::size_t jobs = network->JobsOf(JobType::Retrieve).size();
    for (int tick = 0; tick < 30; ++tick) controller->OnSecondTimer();
    EXPECT_EQ(network->JobsOf(JobType::Retrieve).size(), jobs);
    EXPECT_EQ(views.transfers.Column(1), Lines{"Paused"});
    OnRows({0}, &ui::CLumvaleDialog::ResumeSelectedTransfers);
    controller->OnDownloadFinished(network->Last().id, util::MakeError(util::ErrorKind::Damaged));
    EXPECT_EQ(views.transfers.states[0], TransferState::Failed);
    controller->OnSecondTimer();
    EXPECT_TRUE(Kept().empty());
}

TEST_F(QueueTest, PauseKeepsWhatArrivedResumeGoesOnAndCancelThrowsItAway) {
    Download({"top.txt"});
    const std::string local = target + "top.txt";
    const FakeNetwork::Job first = network->Last();
    views.user.focused = FocusTarget::TransferList;
    views.transfers.selected = {0};
    ui::MenuState menu = controller->GetMenuState();
    EXPECT_TRUE(menu.pause && menu.cancel && !menu.resume);

    OnRows({0}, &ui::CLumvaleDialog::PauseSelectedTransfers);
    EXPECT_TRUE(first.stop->load());
    controller->OnDownloadFinished(first.id, kStopped);
    EXPECT_EQ(views.transfers.Column(1), Lines{"Paused"});
    EXPECT_EQ(views.transfers.states[0], TransferState::Paused);
    EXPECT_TRUE(network->discarded.empty());
    EXPECT_EQ(KeptPaths(), Lines{"\\Music\\top.txt -> " + local});
    menu = controller->GetMenuState();
    EXPECT_TRUE(!menu.pause && menu.cancel && menu.resume);
    // A paused row stays: the countdown is for ended rows; a paused download counts as one
    // being fetched, so the same file is not started twice.
    for (int tick = 0; tick < 10; ++tick) controller->OnSecondTimer();
    Download({"top.txt"});
    EXPECT_EQ(network->JobsOf(JobType::Retrieve).size(), 1u);
    // A user's pause waits for the user, even when the host comes again.
    network->RemoveHost(Ip("127.0.0.5"));
    MusicHost();
    EXPECT_EQ(network->JobsOf(JobType::Retrieve).size(), 1u);

    OnRows({0}, &ui::CLumvaleDialog::ResumeSelectedTransfers);
    ASSERT_EQ(network->JobsOf(JobType::Retrieve).size(), 2u);
    const FakeNetwork::Job second = network->Last();
    EXPECT_EQ(second.localPath, local);  // where the kept part lies
    EXPECT_FALSE(second.stop->load());
    EXPECT_EQ(views.transfers.Column(1), Lines{"Wait"});
    controller->OnDownloadProgress(second.id, 50, 1.0);
    EXPECT_EQ(views.transfers.Column(1), Lines{"Receive 50% (1.00 KB/s)"});

    OnRows({0}, &ui::CLumvaleDialog::CancelSelectedTransfers);
    EXPECT_TRUE(second.stop->load());
    controller->OnDownloadFinished(second.id, kStopped);
    EXPECT_EQ(views.transfers.Column(1), Lines{"Cancelled"});
    EXPECT_EQ(network->discarded, Lines{local});
    controller->OnSecondTimer();
    EXPECT_TRUE(Kept().empty());

    // Cancel on a paused row ends it at once; a pause whose job finished anyway is finished.
    network->discarded.clear();
    Download({"top.txt"});
    OnRows({1}, &ui::CLumvaleDialog::PauseSelectedTransfers);
    controller->OnDownloadFinished(network->Last().id, kStopped);
    OnRows({1}, &ui::CLumvaleDialog::CancelSelectedTransfers);
    EXPECT_EQ(views.transfers.Column(1).at(1), "Cancelled");
    EXPECT_EQ(network->discarded, Lines{local});
    Download({"top.txt"});
    OnRows({2}, &ui::CLumvaleDialog::PauseSelectedTransfers);
    controller->OnDownloadFinished(network->Last().id, {});
    EXPECT_EQ(views.transfers.Column(1).at(2), "Finished");
    controller->OnSecondTimer();
    EXPECT_TRUE(Kept().empty());
}

TEST_F(QueueTest, FolderDownloadPausesAsAWholeAndStartsAgainOnResume) {
    Download({"Live"});
    const FakeNetwork::Job listing = network->JobsOf(JobType::Expand).back();
    ASSERT_EQ(listing.remotePath, "\\Music\\Live");
    controller->OnExpandSucceeded(listing.id, {File("a"), File("b")});
    const FakeNetwork::Job file = network->JobsOf(JobType::Retrieve).at(0);
    OnRows({0}, &ui::CLumvaleDialog::PauseSelectedTransfers);
    EXPECT_TRUE(file.stop->load());
    controller->OnDownloadFinished(file.id, kStopped);
    EXPECT_EQ(views.transfers.Column(1), Lines{"Paused"});
    EXPECT_EQ(Transfers().Running().folderDownloads, 0u);
    EXPECT_EQ(KeptPaths(), Lines{"\\Music\\Live -> " + target});
    network->ClearJobs();
    OnRows({0}, &ui::CLumvaleDialog::ResumeSelectedTransfers);
    EXPECT_EQ(network->JobLines(), Lines{"expand 127.0.0.5 \\Music\\Live"});
    EXPECT_EQ(Transfers().Running().folderDownloads, 1u);
    OnRows({0}, &ui::CLumvaleDialog::CancelSelectedTransfers);
    controller->OnExpandFailed(network->Last().id);
    EXPECT_EQ(views.transfers.Column(1), Lines{"Cancelled"});
    controller->OnSecondTimer();
    EXPECT_TRUE(Kept().empty());
}

TEST_F(QueueTest, FolderDownloadCutInTheMiddleWaitsAndStartsAgain) {
    Download({"Live"});
    controller->OnExpandSucceeded(network->JobsOf(JobType::Expand).back().id,
                                  {File("a"), File("b")});
    const FakeNetwork::Job file = network->JobsOf(JobType::Retrieve).at(0);
    controller->OnDownloadFinished(file.id, kLost);
    EXPECT_EQ(views.transfers.Column(1), Lines{"Interrupted; goes on when the host answers"});
    EXPECT_EQ(views.transfers.states[0], TransferState::Paused);
    EXPECT_EQ(Transfers().Running().folderDownloads, 0u);
    controller->OnSecondTimer();
    EXPECT_EQ(KeptPaths(), Lines{"\\Music\\Live -> " + target});
    network->ClearJobs();
    for (int tick = 0; tick < 15; ++tick) controller->OnSecondTimer();
    EXPECT_EQ(network->JobLines(), Lines{"expand 127.0.0.5 \\Music\\Live"});
    EXPECT_EQ(Transfers().Running().folderDownloads, 1u);
    // A folder the host no longer lists is not an interruption.
    controller->OnExpandFailed(network->Last().id);
    EXPECT_EQ(views.transfers.states[0], TransferState::Failed);
    controller->OnSecondTimer();
    EXPECT_TRUE(Kept().empty());
}

TEST_F(QueueTest, DamagedOrHostileStateFileCostsOnlyItself) {
    const UnfinishedDownload good{Ip("127.0.0.5"),    "remote", "\\Music\\top.txt",
                                  target + "top.txt", false,    2048};
    std::string text = ui::FormatUnfinishedDownloads({good});
    const std::string header = text.substr(0, text.find('\n') + 1);
    const std::string goodLine = text.substr(header.size());
    const std::string entries[] = {
        "file\t127.0.0.5\t1\tremote\t\\Music\\a\t" + target + "../../etc/passwd\n",
        "file\t127.0.0.5\t1\tremote\t\\Music\\a\trelative/a\n",
        "file\t127.0.0.5\t1\tremote\t\\Music\\a\t" + target + "%0Aforged\n",  // a line break
        "file\t127.0.0.5\t1\tremote\t\\Music\\a\t" + target + "%ZZ\n",
        "file\t127.0.0.5\t1\tremote\t\\Music\\a\t" + target + "a%4\n",
        "file\t127.0.0.5\t-5\tremote\t\\Music\\a\t" + target + "a\n",
        "file\t127.0.0.5\t99999999999999999999\tremote\t\\Music\\a\t" + target + "a\n",
        "file\t0.0.0.0\t1\tremote\t\\Music\\a\t" + target + "a\n",
        "file\tlocalhost\t1\tremote\t\\Music\\a\t" + target + "a\n",
        "file\t127.0.0.5\t1\tremote\tMusic\\a\t" + target + "a\n",
        "file\t127.0.0.5\t1\tremote\t\\Music\\a\t" + target + "a\textra\n",
        "file\t127.0.0.5\t1\t" + std::string(300, 'h') + "\t\\Music\\a\t" + target + "a\n",
        "file\t127.0.0.5\t1\tremote\t\\Music\\a\t" + target + std::string(5000, 'p') + "\n",
        "link\t127.0.0.5\t1\tremote\t\\Music\\a\t" + target + "a\n",
        "file\t127.0.0.5\t1\tremote\t\\Music\\a\t" + target + "\n",  // no file name
        std::string("\0\xff\t\t\t\n", 6),
        goodLine,  // a repeat
    };
    text = header + goodLine;
    for (const std::string& entry : entries) text += entry;
    text += "file\t127.0.0.5\t0";  // cut off mid-line
    ASSERT_TRUE(utilcpp::ReplaceFileAtomically(stateFile, text) ||
                (utilcpp::CreateParentFolders(stateFile) &&
                 utilcpp::ReplaceFileAtomically(stateFile, text)));
    StartController();
    EXPECT_EQ(views.transfers.Column(0), Lines{"top.txt"});
    // The first change writes the file anew, with the good entry kept.
    MusicHost();
    Download({"Live"});
    EXPECT_EQ(Kept(), (std::vector<UnfinishedDownload>{
                          good, {Ip("127.0.0.5"), "remote", "\\Music\\Live", target, true, 0}}));

    // Whole files that are not ours, too long, or no file at all: nothing, and no crash.
    const std::string foreign[] = {"[global]\nhostname=x\n", std::string(3, '\0'), ""};
    for (const std::string& content : foreign) {
        ASSERT_TRUE(utilcpp::ReplaceFileAtomically(stateFile, content));
        StartController();
        EXPECT_TRUE(views.transfers.rows.empty());
    }
    ASSERT_TRUE(utilcpp::ReplaceFileAtomically(
        stateFile, header + goodLine + std::string(ui::kMaxUnfinishedFileBytes, 'x')));
    StartController();
    EXPECT_TRUE(views.transfers.rows.empty());
    std::filesystem::remove(stateFile);
    std::filesystem::create_directory(stateFile);
    StartController();
    EXPECT_TRUE(views.transfers.rows.empty());
    // Then it cannot be written; the download runs all the same.
    MusicHost();
    Download({"top.txt"});
    EXPECT_EQ(views.transfers.Column(1), Lines{"Wait"});
}

TEST_F(QueueTest, EntriesRoundTripWhateverTheirNamesAndStayBounded) {
    const UnfinishedDownload odd{Ip("10.1.2.3"),
                                 "Größe 100% \\ host",
                                 "\\Share\\a%20b\\ü",
                                 "/home/u/dl/50% tab\xE2\x80\x8B x",
                                 false,
                                 7};
    EXPECT_EQ(ui::ParseUnfinishedDownloads(ui::FormatUnfinishedDownloads({odd})),
              std::vector<UnfinishedDownload>{odd});
    std::vector<UnfinishedDownload> many;
    for (std::size_t i = 0; i < ui::kMaxUnfinishedDownloads + 20; ++i) {
        many.push_back(odd);
        many.back().listedSize = static_cast<std::int64_t>(i);
    }
    ASSERT_TRUE(ui::SaveUnfinishedDownloads(stateFile, many));
    EXPECT_EQ(Kept().size(), ui::kMaxUnfinishedDownloads);
}

TEST_F(QueueTest, SpeedLimitOfTheSettingsReachesTheNetworkInKilobytes) {
    EXPECT_EQ(network->downloadLimit, 0u);
    const std::pair<const char*, std::uint64_t> cases[] = {{"100", 102'400},
                                                           {"-3", 0},
                                                           {"junk", 0},
                                                           {"3", 64 * 1024},
                                                           {"99999999999", 10'000'000ull * 1024}};
    for (const auto& [stored, bytes] : cases) {
        SCOPED_TRACE(stored);
        ASSERT_TRUE(Settings().SetString("global", "downloadlimit", stored));
        controller->ApplyDownloadLimit();
        EXPECT_EQ(network->downloadLimit, bytes);
    }
}

}  // namespace
}  // namespace fakes
