// Host events, host information, the permission question and chat lines.
#include <thread>

#include "ui/fakes_controller.h"
#include "ui/lumvale_dialog_chat.h"
#include "ui/lumvale_dialog_listeners.h"

namespace fakes {
namespace {

using ui::Answer;
using ui::EventSound;

TEST_F(ControllerTest, StartAddsTheLocalHostUnderItsConfiguredName) {
    // Settings written before start win over the computer's name.
    Settings().SetString("global", "hostname", "studio");
    StartController();
    ASSERT_EQ(network->addedHosts.size(), 1u);
    EXPECT_EQ(network->addedHosts[0].address, Ip("127.0.0.1"));
    EXPECT_EQ(network->addedHosts[0].name, "studio");
    EXPECT_EQ(network->addedHosts[0].kind, HostKind::LocalHost);
    EXPECT_EQ(network->serverHostName, "studio");
    const TreeItem item = views.tree.Find("studio");
    ASSERT_NE(item, kNoTreeItem);
    EXPECT_EQ(views.tree.items[item].image, tree_image::kLocalHost);
    EXPECT_EQ(network->recipients, std::vector<Ipv4>{Ip("127.0.0.1")});
    // Host information first, then the share list.
    ASSERT_EQ(network->jobs.size(), 2u);
    EXPECT_EQ(network->jobs[0].type, JobType::GetHostInfo);
    EXPECT_EQ(network->jobs[1].type, JobType::Expand);
    EXPECT_EQ(network->jobs[1].remotePath, "\\");
    // The file list starts sorted by name, ascending.
    EXPECT_EQ(views.files.marks[0], ui::SortMark::Ascending);
}

TEST_F(ControllerTest, WithoutSettingTheComputerNameIsUsed) {
    EXPECT_EQ(controller->HostName(), "testbox");
    EXPECT_NE(views.tree.Find("testbox"), kNoTreeItem);
}

TEST_F(ControllerTest, AppearedHostIsListedAskedForItsNameAndSharesAndJoinsTheChat) {
    network->ClearJobs();
    AppearHost("127.0.0.5");
    const TreeItem item = views.tree.Find("127.0.0.5");
    ASSERT_NE(item, kNoTreeItem);
    EXPECT_EQ(views.tree.items[item].image, tree_image::kDiscoveredHost);
    ASSERT_EQ(network->jobs.size(), 2u);
    EXPECT_EQ(network->jobs[0].type, JobType::GetHostInfo);
    EXPECT_EQ(network->jobs[0].address, Ip("127.0.0.5"));
    EXPECT_EQ(network->jobs[1].type, JobType::Expand);
    EXPECT_EQ(network->jobs[1].remotePath, "\\");
    // Light jobs stop with the program.
    EXPECT_EQ(network->jobs[1].stop, network->jobs[0].stop);
    EXPECT_NE(network->jobs[1].stop, nullptr);
    EXPECT_EQ(network->recipients.back(), Ip("127.0.0.5"));
}

TEST_F(ControllerTest, DisappearedHostLeavesTreeAndChatButTheLocalHostStays) {
    AppearHost("127.0.0.5", "remote");
    DeliverListing("127.0.0.5", "\\", {Folder("Music")});
    network->RemoveHost(Ip("127.0.0.5"));
    EXPECT_EQ(views.tree.Find("remote"), kNoTreeItem);
    EXPECT_EQ(views.tree.Find("Music"), kNoTreeItem);
    EXPECT_EQ(network->recipients, std::vector<Ipv4>{Ip("127.0.0.1")});

    controller->OnHostDisappeared(Ip("127.0.0.1"));
    EXPECT_NE(views.tree.Find("testbox"), kNoTreeItem);
    EXPECT_EQ(network->recipients, std::vector<Ipv4>{Ip("127.0.0.1")});

    // A host nobody knows changes nothing.
    controller->OnHostDisappeared(Ip("127.0.0.9"));
    EXPECT_EQ(controller->Model().GetHostCount(), 1u);
}

TEST_F(ControllerTest, HostComingBackAfterDiscoveryForgotItIsNotListedTwice) {
    network->knownHosts.clear();  // discovery dropped the local host, the tree kept it
    network->AddHost(Ip("127.0.0.1"), "testbox", HostKind::LocalHost);
    EXPECT_EQ(controller->Model().GetHostCount(), 1u);
    EXPECT_EQ(network->recipients.size(), 1u);
}

TEST_F(ControllerTest, HostInformationRenamesTheHost) {
    AppearHost("127.0.0.5");
    const JobId info = network->JobsOf(JobType::GetHostInfo).back().id;
    controller->OnHostInfo(info, proto::HostInfo{"kitchen", "1.0 ", "01.02.2026", "10:00:00", ""});
    EXPECT_NE(views.tree.Find("kitchen"), kNoTreeItem);
    EXPECT_EQ(views.tree.Find("127.0.0.5"), kNoTreeItem);

    // A reply for a job the queue no longer knows changes nothing.
    network->Reap(info);
    controller->OnHostInfo(info, proto::HostInfo{"other", "", "", "", ""});
    EXPECT_NE(views.tree.Find("kitchen"), kNoTreeItem);
}

TEST_F(ControllerTest, WithDebugFeaturesTheHostShowsAddressAndAllFields) {
    StartController(/*debugFeatures=*/true);
    AppearHost("127.0.0.5");
    const JobId info = network->JobsOf(JobType::GetHostInfo).back().id;
    controller->OnHostInfo(info, proto::HostInfo{"kitchen", "1.0 x ", "d", "t", "Linux.6"});
    EXPECT_NE(views.tree.Find("127.0.0.5 (kitchen, 1.0 x , d, t, Linux.6)"), kNoTreeItem);
}

TEST_F(ControllerTest, HostModifiedFetchesNameAndSharesAgainSilently) {
    AppearHost("127.0.0.5");
    network->ReapAll();  // the first name and share list have arrived
    network->ClearJobs();
    views.sound.played.clear();
    controller->OnHostModified(Ip("127.0.0.5"));
    ASSERT_EQ(network->jobs.size(), 2u);
    EXPECT_EQ(network->jobs[0].type, JobType::GetHostInfo);
    EXPECT_EQ(network->jobs[1].type, JobType::Expand);
    EXPECT_EQ(network->jobs[1].address, Ip("127.0.0.5"));
    EXPECT_TRUE(views.sound.played.empty());
}

TEST_F(ControllerTest, KnownHostMayDownloadWithoutAQuestion) {
    AppearHost("127.0.0.5");
    EXPECT_TRUE(controller->OnDownloadRequest(Ip("127.0.0.5")));
    EXPECT_TRUE(views.prompt.questions.empty());
}

TEST_F(ControllerTest, AllowedUnknownHostBecomesAManualHost) {
    views.prompt.answers = {Answer::Yes};
    EXPECT_TRUE(controller->OnDownloadRequest(Ip("127.0.0.7")));
    ASSERT_EQ(views.prompt.questions.size(), 1u);
    EXPECT_EQ(views.prompt.questions[0],
              "A unknown host with the ip address 127.0.0.7 wants to download a file from "
              "you.\nDo you want to allow this?");
    EXPECT_EQ(views.prompt.lastButtons, ui::PromptButtons::YesNo);
    const TreeItem item = views.tree.Find("127.0.0.7");
    ASSERT_NE(item, kNoTreeItem);
    EXPECT_EQ(views.tree.items[item].image, tree_image::kManualHost);
    EXPECT_EQ(network->addedHosts.back().kind, HostKind::Manual);
    // Its next request goes through without asking.
    EXPECT_TRUE(controller->OnDownloadRequest(Ip("127.0.0.7")));
    EXPECT_EQ(views.prompt.questions.size(), 1u);
}

TEST_F(ControllerTest, RefusedHostIsRefusedSilentlyUntilItStaysAwayTenSeconds) {
    views.prompt.answers = {Answer::No};
    EXPECT_FALSE(controller->OnDownloadRequest(Ip("127.0.0.7")));
    EXPECT_EQ(views.tree.Find("127.0.0.7"), kNoTreeItem);
    views.clock.Advance(5000);
    EXPECT_FALSE(controller->OnDownloadRequest(Ip("127.0.0.7")));
    views.clock.Advance(9000);  // each refusal renews the memory
    EXPECT_FALSE(controller->OnDownloadRequest(Ip("127.0.0.7")));
    EXPECT_EQ(views.prompt.questions.size(), 1u);
    views.clock.Advance(10'001);
    views.prompt.answers = {Answer::No};
    EXPECT_FALSE(controller->OnDownloadRequest(Ip("127.0.0.7")));
    EXPECT_EQ(views.prompt.questions.size(), 2u);
}

// Two server connections ask for the same unknown host at once. The question is modal: while it
// is open the UI thread keeps handling events. The second asker must wait for the first answer
// instead of raising a second question.
TEST_F(ControllerTest, PermissionQuestionsAreAskedOneAtATime) {
    ui::ControllerListeners listeners(*controller, *dispatcher);
    std::atomic<int> asking{0};
    int mostAtOnce = 0;
    views.prompt.fallback = Answer::No;
    views.prompt.whileAsking = [&] {
        mostAtOnce = std::max(mostAtOnce, ++asking);
        for (int i = 0; i < 30; ++i) dispatcher->WaitAndRun(std::chrono::milliseconds(2));
        --asking;
    };
    std::atomic<int> answered{0};
    std::atomic<int> allowed{0};
    auto ask = [&] {
        if (listeners.MayDownload(Ip("127.0.0.8"))) ++allowed;
        ++answered;
    };
    std::thread first(ask);
    std::thread second(ask);
    for (int i = 0; i < 1000 && answered.load() < 2; ++i) {
        dispatcher->WaitAndRun(std::chrono::milliseconds(2));
    }
    first.join();
    second.join();
    EXPECT_EQ(answered.load(), 2);
    EXPECT_EQ(allowed.load(), 0);
    EXPECT_EQ(mostAtOnce, 1);
    EXPECT_EQ(views.prompt.questions.size(), 1u);
}

TEST_F(ControllerTest, ChatLineShowsTheSenderByNameOrAddress) {
    AppearHost("127.0.0.5", "kitchen");
    controller->OnChatMessage(Ip("192.168.1.9"), "hello");
    controller->OnChatMessage(Ip("127.0.0.5"), "hi there");
    ASSERT_EQ(views.chat.lines.size(), 2u);
    EXPECT_EQ(views.chat.lines[0], "192.168.1.9: hello");
    EXPECT_EQ(views.chat.lines[1], "kitchen: hi there");
}

TEST_F(ControllerTest, OnlyChatMessagesAreHeardAndOnlyWithSoundOn) {
    MusicHost();
    views.sound.played.clear();
    controller->OnChatMessage(Ip("127.0.0.5"), "one");
    network->RemoveHost(Ip("127.0.0.5"));
    AppearHost("127.0.0.6");
    EXPECT_EQ(views.sound.played, std::vector<EventSound>{EventSound::ChatMessage});

    Settings().SetInt("global", "sound", 0);
    controller->OnChatMessage(Ip("127.0.0.6"), "two");
    EXPECT_EQ(views.sound.played.size(), 1u);
}

TEST(ChatHistory, DropsWholeFirstLinesUntilTheLimitBeforeAppending) {
    FakeChat view;
    ui::ChatHistory history(view);
    // 28 lines of 998 characters and one of 2 000: 29 944 characters and 28 line breaks of two
    // make 30 000.
    for (int i = 0; i < 28; ++i) history.Append(std::string(997, 'a') + char('A' + i));
    history.Append(std::string(2000, 'z'));
    ASSERT_EQ(history.Length(), 30'000u);
    ASSERT_EQ(view.lines.size(), 29u);
    history.Append("new");
    // Two first lines of 1 000 characters each (with their breaks) had to go.
    EXPECT_EQ(view.lines.size(), 28u);
    EXPECT_EQ(view.lines.front().back(), 'C');
    EXPECT_EQ(view.lines.back(), "new");
    EXPECT_EQ(history.Length(), 28'000u + 2 + 3);
    EXPECT_EQ(history.LineCount(), view.lines.size());
}

TEST(ChatHistory, KeepsEverythingUpToTheLimit) {
    FakeChat view;
    ui::ChatHistory history(view);
    history.Append(std::string(ui::ChatHistory::kMaxLength, 'x'));
    history.Append("next");
    EXPECT_EQ(view.lines.size(), 2u);
    history.Append("third");
    // Now above the limit: the long first line goes.
    EXPECT_EQ(view.lines.size(), 2u);
    EXPECT_EQ(view.lines.front(), "next");
    EXPECT_EQ(history.Length(), 4u + 2 + 5);
}

}  // namespace
}  // namespace fakes
