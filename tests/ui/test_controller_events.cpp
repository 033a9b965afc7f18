// The network events: hosts coming and going, host information and change notices, the
// permission question, chat lines and sounds, listings with their prefetch, and the file list.
#include <thread>

#include "ui/controller/chat_history.h"
#include "ui/controller/lumvale_dialog_listeners.h"
#include "ui/fakes_controller.h"

namespace fakes {
namespace {

using ui::Answer;
using Addresses = std::vector<Ipv4>;

TEST_F(ControllerTest, HostsComeAndGoButTheLocalHostStaysUnderItsConfiguredName) {
    EXPECT_EQ(controller->HostName(), "testbox");  // without a setting: the computer's name
    Settings().SetString("global", "hostname", "studio");
    StartController();
    EXPECT_EQ(network->addedHosts, Lines{"local 127.0.0.1 studio"});
    EXPECT_EQ(network->serverHostName, "studio");
    network->ClearJobs();
    AppearHost("127.0.0.5");
    EXPECT_EQ(network->JobLines(), (Lines{"info 127.0.0.5", "expand 127.0.0.5 \\"}));
    EXPECT_EQ(network->recipients, (Addresses{Ip("127.0.0.1"), Ip("127.0.0.5")}));
    EXPECT_EQ(network->serverKnown, network->recipients);

    DeliverListing("127.0.0.5", "\\", {Folder("Music")});
    // The host's refresh is cancelled with it, or its jobs would go on connecting to nowhere.
    const Addresses refresh = {network->jobs[0].id, network->jobs[1].id};
    network->RemoveHost(Ip("127.0.0.5"));
    EXPECT_EQ(network->cancelled, refresh);
    controller->OnHostDisappeared(Ip("127.0.0.1"));
    controller->OnHostDisappeared(Ip("127.0.0.9"));  // nobody knows it
    EXPECT_FALSE(views.tree.Has("127.0.0.5") || views.tree.Has("Music"));
    EXPECT_TRUE(views.tree.Has("studio"));
    EXPECT_EQ(network->recipients, Addresses{Ip("127.0.0.1")});
    EXPECT_EQ(network->serverKnown, network->recipients);
    // Discovery forgot the local host, the tree kept it: it comes back without a second entry.
    network->knownHosts.clear();
    network->AddHost(Ip("127.0.0.1"), "studio", HostKind::LocalHost);
    EXPECT_EQ(controller->Model().GetHostCount(), 1u);
    EXPECT_EQ(network->recipients.size(), 1u);
}

TEST_F(ControllerTest, HostInformationRenamesTheHostAndShowsAllFieldsWithDebugFeatures) {
    AppearHost("127.0.0.5");
    const JobId info = network->JobsOf(JobType::GetHostInfo).back().id;
    controller->OnHostInfo(info, {"kitchen", "1.0 ", "01.02.2026", "10:00:00", ""});
    network->Reap(info);  // a reply for a job the queue no longer knows changes nothing
    controller->OnHostInfo(info, {"other", "", "", "", ""});
    EXPECT_TRUE(views.tree.Has("kitchen"));
    EXPECT_FALSE(views.tree.Has("127.0.0.5"));

    StartController(/*debugFeatures=*/true);
    AppearHost("127.0.0.5");
    controller->OnHostInfo(network->JobsOf(JobType::GetHostInfo).back().id,
                           {"kitchen", "1.0 x ", "d", "t", "Linux.6"});
    EXPECT_TRUE(views.tree.Has("127.0.0.5 (kitchen, 1.0 x , d, t, Linux.6)"));
}

// Notices come from any peer, as often as it likes: a host the tree does not know gets no jobs
// (else a peer could make us connect anywhere), repeats add nothing to a refresh that waits, and
// a host is refreshed at most every five seconds, the notices in between gathered into one.
TEST_F(ControllerTest, HostModifiedFetchesNameAndSharesOnceSilentlyAndOnlyForKnownHosts) {
    const Lines refresh{"info 127.0.0.5", "expand 127.0.0.5 \\"};
    AppearHost("127.0.0.5");
    network->ReapAll();  // the first name and share list have arrived
    network->ClearJobs();
    views.user.now += 5000;
    for (int i = 0; i < 100; ++i) {
        controller->OnHostModified(Ip("127.0.0.5"));
        controller->OnHostModified(Ip("127.0.0.9"));
    }
    EXPECT_EQ(network->JobLines(), refresh);
    network->ReapAll();
    network->ClearJobs();
    for (int i = 0; i < 49; ++i) {
        views.user.now += 100;
        controller->OnHostModified(Ip("127.0.0.5"));
        controller->OnSecondTimer();
    }
    EXPECT_EQ(network->JobLines(), Lines{});
    views.user.now += 100;
    controller->OnSecondTimer();
    controller->OnSecondTimer();
    EXPECT_EQ(network->JobLines(), refresh);
    // Without a notice since, nothing more.
    network->ReapAll();
    views.user.now += 60'000;
    controller->OnSecondTimer();
    EXPECT_EQ(network->JobLines(), refresh);
    EXPECT_TRUE(views.user.played.empty());
}

// Only unknown hosts are asked about; one allowed becomes a manual host. Two server connections
// ask for the same unknown host at once: the question is modal, and while it is open the UI thread
// keeps handling events. The second asker must wait for the first answer instead of raising a
// second question; the refusal is remembered (for how long is the model's test), so a later
// request is refused unasked.
TEST_F(ControllerTest, OnlyUnknownHostsAreAskedOneQuestionAtATime) {
    AppearHost("127.0.0.5");
    views.user.answers = {Answer::Yes};
    EXPECT_TRUE(controller->OnDownloadRequest(Ip("127.0.0.5")));
    EXPECT_TRUE(controller->OnDownloadRequest(Ip("127.0.0.7")));
    EXPECT_TRUE(controller->OnDownloadRequest(Ip("127.0.0.7")));  // now a known host
    EXPECT_EQ(views.user.questions, Lines{"A unknown host with the ip address 127.0.0.7 wants to "
                                          "download a file from you.\nDo you want to allow this?"});
    EXPECT_EQ(views.user.lastButtons, ui::PromptButtons::YesNoRefuseAll);
    EXPECT_EQ(network->addedHosts.back(), "manual 127.0.0.7 ");
    EXPECT_EQ(views.tree.ImageOf("127.0.0.7"), tree_image::kManualHost);
    ui::ControllerListeners listeners(*controller, *dispatcher);
    std::atomic<int> asking{0}, answered{0}, allowed{0};
    int mostAtOnce = 0;
    views.user.whileAsking = [&] {
        mostAtOnce = std::max(mostAtOnce, ++asking);
        for (int i = 0; i < 30; ++i) dispatcher->WaitAndRun(std::chrono::milliseconds(2));
        --asking;
    };
    auto ask = [&] {
        allowed += listeners.MayDownload(Ip("127.0.0.8"), nullptr);
        ++answered;
    };
    std::thread first(ask), second(ask);
    for (int i = 0; i < 1000 && answered < 2; ++i)
        dispatcher->WaitAndRun(std::chrono::milliseconds(2));
    first.join();
    second.join();
    EXPECT_EQ(answered.load(), 2);
    EXPECT_EQ(allowed.load(), 0);
    EXPECT_EQ(mostAtOnce, 1);
    EXPECT_FALSE(controller->OnDownloadRequest(Ip("127.0.0.8")));
    EXPECT_EQ(views.user.questions.size(), 2u);
    EXPECT_FALSE(views.tree.Has("127.0.0.8"));
}

TEST_F(ControllerTest, ChatLinesNameTheSenderAndOnlyTheyAreHeardWhileSoundIsOn) {
    AppearHost("127.0.0.5", "kitchen");
    // An empty text shows no bare sender and rings nothing.
    controller->OnChatMessage(Ip("192.168.1.9"), "");
    controller->OnChatMessage(Ip("192.168.1.9"), "hello");
    controller->OnChatMessage(Ip("127.0.0.5"), "hi there");
    controller->OnChatNotDelivered(Ip("127.0.0.5"), "are you there?");
    EXPECT_EQ(Lines(views.user.chatLines.begin(), views.user.chatLines.end()),
              (Lines{"192.168.1.9: hello", "kitchen: hi there",
                     "Not delivered to kitchen: are you there?"}));
    network->RemoveHost(Ip("127.0.0.5"));  // hosts coming and going are silent
    Settings().SetInt("global", "sound", 0);
    controller->OnChatMessage(Ip("127.0.0.6"), "two");
    EXPECT_EQ(views.user.played, std::vector<ui::EventSound>(2, ui::EventSound::ChatMessage));
}

TEST(ChatHistory, DropsWholeFirstLinesUntilTheNewLineFitsTheLimit) {
    FakeUser view;
    ui::ChatHistory history(view);
    // 28 lines of 998 characters and one of 2 000 make 30 000 with their 28 breaks of two.
    for (int i = 0; i < 28; ++i) history.Append(std::string(997, 'a') + char('A' + i));
    history.Append(std::string(2000, 'z'));
    ASSERT_EQ(history.Length(), 30'000u);
    history.Append("new");
    EXPECT_EQ(view.chatLines.size(), 28u);
    EXPECT_EQ(view.chatLines.front().back(), 'C');
    EXPECT_EQ(history.Length(), 28'000u + 2 + 3);
    EXPECT_EQ(history.LineCount(), view.chatLines.size());
}

// The file list shows the selected node's listing only, says while it is shown that the host cut
// it, and empties when its node goes.
TEST_F(ControllerTest, FileListShowsTheSelectedListingAndEmptiesWhenItsNodeGoes) {
    AppearHost("127.0.0.5", "remote");
    Show("remote");
    EXPECT_TRUE(views.files.rows.empty());
    DeliverListing("127.0.0.5", "\\", {Folder("Music"), Folder("Docs")});
    EXPECT_EQ(views.files.rows, (Lines{"Docs||6", "Music||6"}));
    const int clears = views.files.clears;
    const JobId cut = network->AddExpandJob(Ip("127.0.0.5"), "\\Music\\", nullptr);
    controller->OnExpandSucceeded(cut, {Folder("Live")}, 200'000);
    EXPECT_EQ(views.files.clears, clears);
    EXPECT_EQ(views.files.status, "");
    Show("Music");
    EXPECT_EQ(views.files.Names(), Lines{"Live"});
    EXPECT_EQ(views.files.status, "This listing was cut: 200000 more entries were left out.");
    DeliverListing("127.0.0.5", "\\Music\\Live\\", {File("a.mp3")});
    Show("Live");
    EXPECT_EQ(views.files.status, "");
    ASSERT_EQ(views.files.Names(), Lines{"a.mp3"});
    DeliverListing("127.0.0.5", "\\Music\\", {Folder("Live")});  // whole, and replaces Live
    EXPECT_TRUE(views.files.rows.empty() && controller->FileListNodes().empty());
    Show("Music");
    EXPECT_EQ(views.files.status, "");
    ASSERT_EQ(views.files.Names(), Lines{"Live"});
    network->RemoveHost(Ip("127.0.0.5"));
    EXPECT_TRUE(views.files.rows.empty() && controller->FileListNodes().empty());
}

// A listing of an expanded node prefetches its folders, the last first; expanding asks once for
// each unlisted child folder, and again after a failure.
TEST_F(ControllerTest, ExpandedNodesPrefetchTheirFoldersOnceAndAgainAfterAFailure) {
    AppearHost("127.0.0.5", "remote");
    views.tree.expanded.insert(views.tree.Find("remote"));
    network->ClearJobs();
    DeliverListing("127.0.0.5", "\\", {Folder("A"), Folder("B"), File("f")});
    EXPECT_EQ(network->JobLines(),
              (Lines{"expand 127.0.0.5 \\", "expand 127.0.0.5 \\B\\", "expand 127.0.0.5 \\A\\"}));
    network->ClearJobs();
    DeliverListing("127.0.0.5", "\\A\\", {Folder("C"), File("x"), Folder("D")});
    EXPECT_EQ(network->JobLines(), Lines{"expand 127.0.0.5 \\A\\"});  // A is collapsed
    network->ClearJobs();
    CNetNode& a = *views.tree.NodeOf("A");
    controller->OnTreeItemExpanding(a);
    controller->OnTreeItemExpanding(a);
    controller->OnExpandFailed(network->Last().id);
    EXPECT_FALSE(views.tree.NodeOf("C")->IsListingRequested());
    controller->OnTreeItemExpanding(a);
    EXPECT_EQ(network->JobLines(), (Lines{"expand 127.0.0.5 \\A\\D\\", "expand 127.0.0.5 \\A\\C\\",
                                          "expand 127.0.0.5 \\A\\C\\"}));
}

TEST_F(ControllerTest, FileListFollowsColumnClicksAndShowsFoldersFirstWithSizes) {
    MusicHost();
    controller->SortByColumn(0);  // the second click on Name
    EXPECT_EQ(views.files.Names(), (Lines{"top.txt", "Live"}));
    controller->SortByColumn(1);
    EXPECT_EQ(views.files.marks,
              (std::map<int, ui::SortMark>{{0, ui::SortMark::None}, {1, ui::SortMark::Ascending}}));
    EXPECT_EQ(views.files.Names(), (Lines{"Live", "top.txt"}));
    controller->SortByColumn(0);
    EXPECT_EQ(views.files.marks[0], ui::SortMark::Ascending);
    DeliverListing("127.0.0.5", "\\Music\\",
                   {File("b.txt", 1025), Folder("zeta"), File("A.txt", 0), Folder("alpha")});
    EXPECT_EQ(views.files.rows,
              (Lines{"alpha||1", "zeta||1", "A.txt|0.00 kB|3", "b.txt|2.00 kB|3"}));
}

}  // namespace
}  // namespace fakes
