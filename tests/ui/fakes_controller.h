// A controller on fake views and a fake network, started the way a front end starts it, with
// helpers that play the network threads' part.
#pragma once

#include <gtest/gtest.h>

#include <memory>

#include "core/parseini.h"
#include "support/ui_pure_sandbox.h"
#include "ui/controller/dispatcher_queue.h"
#include "ui/controller/lumvale_dialog.h"
#include "ui/fakes.h"
#include "ui/fakes_network.h"
#include "ui/text/ui_strings.h"
#include "ui/transfers/transfers.h"

namespace fakes {

using ui::FocusTarget;

inline Ipv4 Ip(const char* dotted) {
    Ipv4 address = 0;
    net::ParseIpv4(dotted, address);
    return address;
}
inline DirEntry Folder(const std::string& name) {
    return DirEntry{name, 0, true};
}
inline DirEntry File(const std::string& name, std::int64_t size = 1) {
    return {name, size, false};
}
// A download's report: done, or failed the way most failures do.
inline util::Status Done() {
    return {};
}
inline util::Status Lost() {
    return util::MakeError(util::ErrorKind::ConnectionLost);
}

class ControllerTest : public ::testing::Test {
protected:
    void SetUp() override {
        ui::SetCurrentLanguage(ui::Language::English);
        ASSERT_TRUE(sandbox.Valid());
        StartController();
    }
    // A fresh controller on a fresh tree and lists; the previous one shuts down first.
    void StartController(bool debugFeatures = false) {
        controller.reset();
        views.tree = FakeTree();
        views.files = FakeFileList();
        views.transfers = FakeTransferList();
        dispatcher = std::make_unique<ui::QueuedDispatcher>();  // a shut one stays shut
        // A fixed number format: the tests compare texts.
        const ui::ControllerOptions options{sandbox.IniPath(), debugFeatures, "testbox", {}};
        controller = std::make_unique<ui::CLumvaleDialog>(
            views.Bind(*dispatcher), options, [this](const ui::NetworkSetup& setup) {
                auto fake = std::make_unique<FakeNetwork>(setup.listeners);
                network = fake.get();
                return fake;
            });
        controller->Start();
    }

    utilcpp::CParseini Settings() const { return utilcpp::CParseini(sandbox.IniPath()); }
    std::string Setting(const std::string& section, const std::string& key) const {
        std::string value;
        Settings().GetString(section, key, value, "");
        return value;
    }
    void AppearHost(const char* dotted, const std::string& name = {}) {
        network->AddHost(Ip(dotted), name, HostKind::Discovered);
    }
    // A listing of `path` arrives for a job asked for just now.
    JobId DeliverListing(const char* dotted, const std::string& path,
                         const std::vector<DirEntry>& listing) {
        const JobId id = network->AddExpandJob(Ip(dotted), path, nullptr);
        controller->OnExpandSucceeded(id, listing);
        return id;
    }
    // The tree item `text` is selected and the file list filled from it.
    void Show(const std::string& text) {
        views.tree.Select(text);
        controller->FillFileList();
    }
    void SelectRows(const Lines& names) {
        views.user.focused = FocusTarget::FileList;
        views.files.SelectNames(names);
    }
    // The remote host "remote" whose share Music holds the folder Live and the file top.txt; the
    // share is shown.
    void MusicHost() {
        AppearHost("127.0.0.5", "remote");
        DeliverListing("127.0.0.5", "\\", {Folder("Music")});
        DeliverListing("127.0.0.5", "\\Music\\", {Folder("Live"), File("top.txt", 2048)});
        Show("Music");
    }
    const ui::Transfers& Transfers() const { return controller->TransferState(); }

    testing_support::Sandbox sandbox;
    FakeViews views;
    std::unique_ptr<ui::QueuedDispatcher> dispatcher;
    FakeNetwork* network = nullptr;
    std::unique_ptr<ui::CLumvaleDialog> controller;
};

}  // namespace fakes
