// Commands, menu states and the lonely-host hint.
#include "ui/fakes_controller.h"

namespace fakes {
namespace {

using ui::FocusTarget;

TEST_F(ControllerTest, RefreshListsTheSelectedNodeAndAsksAHostForItsName) {
    MusicHost();
    network->ClearJobs();
    controller->Refresh();
    ASSERT_EQ(network->jobs.size(), 1u);
    EXPECT_EQ(network->jobs[0].remotePath, "\\Music\\");
    views.tree.Select("remote");
    controller->Refresh();
    ASSERT_EQ(network->jobs.size(), 3u);
    EXPECT_EQ(network->jobs[1].remotePath, "\\");
    EXPECT_EQ(network->jobs[2].type, JobType::GetHostInfo);
    views.tree.selected = kNoTreeItem;
    controller->Refresh();
    EXPECT_EQ(network->jobs.size(), 3u);
}

TEST_F(ControllerTest, RemoveShareDeletesOnlyALocalShareAndTellsEveryHost) {
    Settings().SetString("shares", "Music", "/srv/music");
    MusicHost();  // a remote share of the same name
    controller->RemoveShare();
    std::string folder;
    Settings().GetString("shares", "Music", folder, "");
    EXPECT_EQ(folder, "/srv/music");
    EXPECT_TRUE(network->JobsOf(JobType::HostModified).empty());

    DeliverListing("127.0.0.1", "\\", {Folder("Music")});
    views.tree.Select("testbox");
    controller->FillFileList();
    views.tree.selected = views.tree.NodeOf("testbox")->GetChildren()[0]->GetTreeItem();
    controller->RemoveShare();
    Settings().GetString("shares", "Music", folder, "");
    EXPECT_EQ(folder, "");
    const auto notices = network->JobsOf(JobType::HostModified);
    ASSERT_EQ(notices.size(), 2u);
    EXPECT_EQ(notices[0].address, Ip("127.0.0.1"));
    EXPECT_EQ(notices[1].address, Ip("127.0.0.5"));
}

TEST_F(ControllerTest, MenuStateFollowsTheSelectionAndFocus) {
    MusicHost();
    views.focus.focused = FocusTarget::Tree;
    ui::MenuState state = controller->GetMenuState();
    EXPECT_FALSE(state.addShare);
    EXPECT_FALSE(state.removeShare);  // a share, but not of this computer
    EXPECT_TRUE(state.refresh);
    EXPECT_TRUE(state.download);
    EXPECT_FALSE(state.showHostCommands);
    EXPECT_TRUE(state.lastDownloadFolder.empty());

    views.tree.Select("testbox");
    state = controller->GetMenuState();
    EXPECT_TRUE(state.addShare);
    EXPECT_FALSE(state.removeShare);  // the host item itself
    EXPECT_FALSE(state.removeHost);

    views.focus.focused = FocusTarget::FileList;
    state = controller->GetMenuState();
    EXPECT_FALSE(state.addShare);
    EXPECT_FALSE(state.refresh);
    EXPECT_FALSE(state.cancel);

    Settings().SetInt("global", "addonfeatures", 1);
    Settings().SetString("global", "lastdownloadpath", sandbox.MakeFolder("dl") + "/");
    state = controller->GetMenuState();
    EXPECT_TRUE(state.showHostCommands);
    EXPECT_EQ(state.lastDownloadFolder, sandbox.Path("dl") + "/");
    Settings().SetString("global", "lastdownloadpath", sandbox.Path("gone"));
    EXPECT_TRUE(controller->GetMenuState().lastDownloadFolder.empty());

    Settings().SetInt("global", "addonfeatures", 0);
    StartController(/*debugFeatures=*/true);
    EXPECT_TRUE(controller->GetMenuState().showHostCommands);
}

TEST_F(ControllerTest, RemoveHostIsOfferedForManualHostsAndRemovesThem) {
    controller->AddManualHost(Ip("127.0.0.9"), "byhand");
    views.focus.focused = FocusTarget::Tree;
    views.tree.Select("byhand");
    EXPECT_TRUE(controller->GetMenuState().removeHost);
    controller->RemoveSelectedHost();
    EXPECT_EQ(views.tree.Find("byhand"), kNoTreeItem);

    views.tree.Select("testbox");
    controller->RemoveSelectedHost();
    EXPECT_NE(views.tree.Find("testbox"), kNoTreeItem);
    EXPECT_EQ(network->knownHosts, std::vector<Ipv4>{Ip("127.0.0.1")});
}

TEST_F(ControllerTest, CancelIsOfferedForASelectedRowOfTheFocusedTransferList) {
    network->uploads[3] = ServerConnectionInfo{proto::JobType::Retrieve, Ip("127.0.0.1"), "f"};
    controller->OnUploadRequested(3);
    views.focus.focused = FocusTarget::TransferList;
    EXPECT_FALSE(controller->GetMenuState().cancel);
    views.transfers.selected = {0};
    EXPECT_TRUE(controller->GetMenuState().cancel);
}

TEST_F(ControllerTest, SendChatQueuesTheTextAndEmptiesTheInput) {
    controller->SendChat();
    EXPECT_TRUE(network->chatSent.empty());
    views.chat.input = "hello";
    controller->SendChat();
    EXPECT_EQ(network->chatSent, std::vector<std::string>{"hello"});
    EXPECT_EQ(views.chat.input, "");
    EXPECT_EQ(views.chat.focusCount, 1);
    views.chat.input = std::string(2000, 'x');
    controller->SendChat();
    EXPECT_EQ(network->chatSent.back().size(), 1023u);
}

TEST_F(ControllerTest, HostNameChangeReachesTheServerAndEveryHost) {
    AppearHost("127.0.0.5");
    network->ClearJobs();
    Settings().SetString("global", "hostname", "renamed");
    controller->ApplyHostName();
    EXPECT_EQ(network->serverHostName, "renamed");
    EXPECT_EQ(network->JobsOf(JobType::HostModified).size(), 2u);
}

TEST_F(ControllerTest, SelectedLocalShareComesWithItsFolder) {
    Settings().SetString("shares", "Mine", "/srv/mine");
    DeliverListing("127.0.0.1", "\\", {Folder("Mine")});
    views.tree.Select("Mine");
    const auto share = controller->SelectedLocalShare();
    ASSERT_TRUE(share.has_value());
    EXPECT_EQ(share->name, "Mine");
    EXPECT_EQ(share->folder, "/srv/mine");
    views.tree.Select("testbox");
    EXPECT_FALSE(controller->SelectedLocalShare().has_value());
}

TEST_F(ControllerTest, UpSelectsTheParent) {
    MusicHost();
    controller->SelectParent();
    EXPECT_EQ(views.tree.SelectedNode(), views.tree.NodeOf("remote"));
    EXPECT_EQ(views.files.Names(), std::vector<std::string>{"Music"});
    controller->SelectParent();
    EXPECT_EQ(views.tree.SelectedNode(), views.tree.NodeOf("remote"));
}

TEST_F(ControllerTest, LonelyHostHintBlinksUntilAnotherHostIsKnown) {
    const std::string hint =
        "Please start Wendaro on at least one other computer in the local network.";
    for (int tick = 0; tick < 50; ++tick) {
        views.clock.Advance(100);
        controller->OnTenthSecondTimer();
    }
    EXPECT_EQ(views.tree.Find(hint), kNoTreeItem);
    views.clock.Advance(100);
    controller->OnTenthSecondTimer();
    const TreeItem item = views.tree.Find(hint);
    ASSERT_NE(item, kNoTreeItem);
    std::vector<int> images;
    for (int tick = 0; tick < 10; ++tick) {
        images.push_back(views.tree.items.at(item).image);
        views.clock.Advance(100);
        controller->OnTenthSecondTimer();
    }
    // Both images show within a second.
    EXPECT_NE(std::count(images.begin(), images.end(), ui::kHintImageFirst), 0);
    EXPECT_NE(std::count(images.begin(), images.end(), ui::kHintImageSecond), 0);
    EXPECT_EQ(network->addressChecks, 61);

    AppearHost("127.0.0.5");
    views.clock.Advance(100);
    controller->OnTenthSecondTimer();
    EXPECT_EQ(views.tree.Find(hint), kNoTreeItem);
}

}  // namespace
}  // namespace fakes
