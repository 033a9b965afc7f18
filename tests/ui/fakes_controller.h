// A controller on fake views and a fake network, started the way a front end starts it, with
// helpers that play the network threads' part.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "core/parseini.h"
#include "net/socket.h"
#include "support/ui_pure_sandbox.h"
#include "ui/dispatcher_queue.h"
#include "ui/fakes.h"
#include "ui/fakes_network.h"
#include "ui/lumvale_dialog.h"
#include "ui/transfers.h"
#include "ui/ui_strings.h"

namespace fakes {

inline Ipv4 Ip(const char* dotted) {
    Ipv4 address = 0;
    net::ParseIpv4(dotted, address);
    return address;
}

inline DirEntry Folder(const std::string& name) {
    return DirEntry{name, 0, true};
}
inline DirEntry File(const std::string& name, std::int64_t size = 1) {
    return DirEntry{name, size, false};
}

class ControllerTest : public ::testing::Test {
protected:
    void SetUp() override {
        ui::SetCurrentLanguage(ui::Language::English);
        ASSERT_TRUE(sandbox.Valid());
        StartController();
    }

    // A fresh controller on fresh views; the previous one shuts down first.
    void StartController(bool debugFeatures = false) {
        controller.reset();
        network = nullptr;
        views.tree = FakeTree();
        views.files = FakeFileList();
        views.transfers = FakeTransferList();
        // A dispatcher that has seen a shutdown stays shut.
        dispatcher = std::make_unique<ui::QueuedDispatcher>();
        // Fixed number format: the tests compare texts.
        ui::ControllerOptions options{sandbox.IniPath(), debugFeatures, "testbox",
                                      ui::NumberFormat{}};
        controller = std::make_unique<ui::CLumvaleDialog>(
            views.Bind(*dispatcher), options, [this](const ui::NetworkSetup& setup) {
                auto fake = std::make_unique<FakeNetwork>(setup.listeners);
                network = fake.get();
                return fake;
            });
        controller->Start();
    }

    utilcpp::CParseini Settings() const { return utilcpp::CParseini(sandbox.IniPath()); }

    // A host reported by discovery; returns its root node.
    CNetNode* AppearHost(const char* dotted, const std::string& name = {}) {
        network->AddHost(Ip(dotted), name, HostKind::Discovered);
        return controller->Model().FindNode(Ip(dotted), "\\");
    }

    // A listing of `path` arrives for a job asked for just now.
    JobId DeliverListing(const char* dotted, const std::string& path,
                         const std::vector<DirEntry>& listing) {
        const JobId id = network->AddExpandJob(Ip(dotted), path, nullptr);
        controller->OnExpandSucceeded(id, listing);
        return id;
    }

    // A remote host with the share Music holding folder Live (a.mp3, folder x with b.mp3) and
    // the file top.txt; the share is selected in the tree.
    void MusicHost(const char* dotted = "127.0.0.5") {
        AppearHost(dotted, "remote");
        DeliverListing(dotted, "\\", {Folder("Music")});
        DeliverListing(dotted, "\\Music\\", {Folder("Live"), File("top.txt", 2048)});
        views.tree.Select("Music");
        controller->FillFileList();
    }

    const ui::Transfers& Transfers() const { return controller->TransferState(); }

    testing_support::Sandbox sandbox;
    FakeViews views;
    std::unique_ptr<ui::QueuedDispatcher> dispatcher;
    FakeNetwork* network = nullptr;
    std::unique_ptr<ui::CLumvaleDialog> controller;
};

}  // namespace fakes
