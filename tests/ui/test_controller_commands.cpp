// Commands and menu states.
#include "ui/fakes_controller.h"

namespace fakes {
namespace {

TEST_F(ControllerTest, RefreshListsTheSelectedNodeAndAsksAHostForItsName) {
    MusicHost();
    network->ClearJobs();
    for (const std::string selected : {"Music", "remote", ""}) {
        views.tree.Select(selected);
        controller->Refresh();
    }
    EXPECT_EQ(network->JobLines(),
              (Lines{"expand 127.0.0.5 \\Music\\", "expand 127.0.0.5 \\", "info 127.0.0.5"}));
}

// The enabled commands in the order of MenuState's fields.
std::string Enabled(const ui::MenuState& state) {
    const std::pair<bool, const char*> flags[] = {
        {state.download, "download"},       {state.addShare, "addShare"},
        {state.removeShare, "removeShare"}, {state.shareProperties, "properties"},
        {state.refresh, "refresh"},         {state.removeHost, "removeHost"},
        {state.cancel, "cancel"},           {state.showHostCommands, "hostCommands"}};
    std::string text;
    for (const auto& [on, name] : flags)
        if (on) text += (text.empty() ? "" : " ") + std::string(name);
    return text;
}

TEST_F(ControllerTest, MenuStateFollowsTheSelectionAndFocus) {
    Settings().SetString("shares", "Mine", "/srv/mine");
    DeliverListing("127.0.0.1", "\\", {Folder("Mine")});
    MusicHost();
    network->AddHost(Ip("127.0.0.9"), "byhand", HostKind::Manual);
    network->uploads[3] = {proto::RequestKind::Retrieve, Ip("127.0.0.1"), "f"};
    controller->OnUploadRequested(3);
    using F = FocusTarget;
    const std::tuple<const char*, F, Lines, bool, const char*> cases[] = {
        {"testbox", F::Tree, {}, false, "addShare refresh"},
        // No downloads from oneself without debug features.
        {"Mine", F::Tree, {}, false, "addShare removeShare properties refresh"},
        {"Music", F::Tree, {}, false, "download refresh"},
        {"byhand", F::Tree, {}, false, "refresh removeHost"},
        {"Music", F::FileList, {"top.txt"}, false, "download"},
        {"Music", F::TransferList, {}, false, ""},
        {"Music", F::TransferList, {}, true, "cancel"}};
    for (const auto& [selected, focus, rows, transferRow, enabled] : cases) {
        SCOPED_TRACE(testing::Message() << selected << " " << int(focus));
        Show(selected);
        views.user.focused = focus;
        views.files.SelectNames(rows);
        views.transfers.selected.assign(transferRow ? 1 : 0, 0);
        EXPECT_EQ(Enabled(controller->GetMenuState()), enabled);
        EXPECT_EQ(controller->CanDownload(), std::string(enabled).find("download") == 0);
    }
    EXPECT_EQ(controller->SelectedLocalShare(), std::nullopt);
    Show("Mine");
    const auto share = controller->SelectedLocalShare();
    ASSERT_TRUE(share.has_value());
    EXPECT_EQ(share->name + "=" + share->folder, "Mine=/srv/mine");
    // With debug features the host commands show and one's own shares may be downloaded from.
    StartController(/*debugFeatures=*/true);
    DeliverListing("127.0.0.1", "\\", {Folder("Mine")});
    views.tree.Select("Mine");
    views.user.focused = FocusTarget::Tree;
    EXPECT_EQ(Enabled(controller->GetMenuState()),
              "download addShare removeShare properties refresh hostCommands");
}

// Removing deletes only a local share, telling every host, and never the local host.
TEST_F(ControllerTest, RemoveShareAndRemoveHostTakeOnlyWhatMayGo) {
    Settings().SetString("shares", "Music", "/srv/music");
    MusicHost();  // a remote share of the same name is selected
    controller->RemoveShare();
    EXPECT_EQ(Setting("shares", "Music"), "/srv/music");
    DeliverListing("127.0.0.1", "\\", {Folder("Music")});
    views.tree.selected = views.tree.NodeOf("testbox")->GetChildren()[0]->GetTreeItem();
    network->ClearJobs();
    controller->RemoveShare();
    EXPECT_EQ(Setting("shares", "Music"), "");
    EXPECT_EQ(network->JobLines(), (Lines{"modified 127.0.0.1", "modified 127.0.0.5"}));
    network->AddHost(Ip("127.0.0.9"), "byhand", HostKind::Manual);
    for (const char* host : {"byhand", "testbox"}) {
        views.tree.Select(host);
        controller->RemoveSelectedHost();
    }
    EXPECT_FALSE(views.tree.Has("byhand"));
    EXPECT_TRUE(views.tree.Has("testbox"));
    EXPECT_EQ(network->knownHosts, (std::vector<Ipv4>{Ip("127.0.0.1"), Ip("127.0.0.5")}));
}

TEST_F(ControllerTest, SendChatQueuesTheTextCutToTheInputsLengthAndEmptiesTheInput) {
    for (const std::string& input : Lines{"", "hello", std::string(2000, 'x')}) {
        views.user.chatInput = input;
        controller->SendChat();
    }
    EXPECT_EQ(network->chatSent, (Lines{"hello", std::string(1023, 'x')}));
    EXPECT_EQ(views.user.chatInput, "");
    EXPECT_EQ(views.user.inputFocused, 2);
}

// A new name reaches the server and every host; the first-run wizard also brings new shares.
TEST_F(ControllerTest, NewNameReachesTheServerAndEveryHost) {
    AppearHost("127.0.0.5");
    for (const bool wizard : {false, true}) {
        network->ClearJobs();
        const std::string name = wizard ? "named-in-wizard" : "renamed";
        Settings().SetString("global", "hostname", name);
        wizard ? controller->OnFirstRunFinished() : controller->ApplyHostName();
        EXPECT_EQ(network->serverHostName, name);
        Lines expected{"modified 127.0.0.1", "modified 127.0.0.5"};
        if (wizard) expected.insert(expected.begin(), "expand 127.0.0.1 \\");
        EXPECT_EQ(network->JobLines(), expected);
    }
}

}  // namespace
}  // namespace fakes
