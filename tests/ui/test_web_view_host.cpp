// The desktop's web view: the settings switch starts and stops it, and a waiting browser is let
// in only when the owner answers Yes.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

#include "net/socket.h"
#include "ui/controller/dispatcher_queue.h"
#include "ui/controller/web_view_host.h"
#include "ui/fakes_controller.h"

namespace {

Ipv4 Address(const std::string& text) {
    Ipv4 address = 0;
    EXPECT_TRUE(net::ParseIpv4(text, address));
    return address;
}

constexpr const char* kFirefoxOnAndroid =
    "Mozilla/5.0 (Android 14; Mobile; rv:125.0) Gecko/125.0 Firefox/125.0";

class WebViewHostTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ = std::filesystem::temp_directory_path() /
                  ("webviewhost-" + std::to_string(::getpid()) + "-" +
                   ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(folder_);
        settingsFile_ = (folder_ / "wendaro.ini").string();
        SwitchView(true);
    }
    void TearDown() override { std::filesystem::remove_all(folder_); }

    void SwitchView(bool on) {
        std::ofstream(settingsFile_) << "[global]\nwebview=" << (on ? 1 : 0) << "\n";
    }
    web::WebOptions LoopbackOptions() const {
        web::WebOptions options;
        options.bindAddress = LoopbackIpv4();
        options.port = 0;
        options.threads = 1;
        return options;
    }
    // A browser's page request on a web server thread; the question reaches the owner when the
    // UI thread runs its queue.
    web::BrowserAccess::Waiting BrowserAsks(web::BrowserAccess& access, Ipv4 address,
                                            std::string* token = nullptr) {
        web::BrowserAccess::Waiting waiting{};
        std::thread server([&] { waiting = access.Wait(address, kFirefoxOnAndroid, token); });
        server.join();
        return waiting;
    }

    std::filesystem::path folder_;
    std::string settingsFile_;
    ui::QueuedDispatcher dispatcher_;
    fakes::FakeUser user_;
};

TEST_F(WebViewHostTest, OnlyYesLetsABrowserInAndTheQuestionDefaultsToNo) {
    ui::WebViewHost host(dispatcher_, user_, settingsFile_, LoopbackOptions());
    ASSERT_TRUE(host.Apply("desk"));
    ASSERT_TRUE(host.IsRunning());
    EXPECT_NE(host.Port(), 0);
    web::BrowserAccess& access = *host.Access();
    const Ipv4 phone = Address("10.0.0.7");
    const Ipv4 laptop = Address("10.0.0.8");
    const Ipv4 tablet = Address("10.0.0.9");

    // Nobody is asked on the server's thread; the question waits for the UI thread.
    EXPECT_EQ(BrowserAsks(access, phone), web::BrowserAccess::Waiting::Asked);
    EXPECT_TRUE(user_.questions.empty());
    user_.answers = {ui::Answer::Yes};
    EXPECT_EQ(dispatcher_.RunPending(), 1U);
    ASSERT_EQ(user_.questions.size(), 1U);
    EXPECT_EQ(user_.questions[0],
              "A browser on 10.0.0.7 (Firefox on Android) wants to see your shares. Allow?");
    EXPECT_EQ(user_.lastButtons, ui::PromptButtons::YesNo);
    std::string token;
    EXPECT_EQ(BrowserAsks(access, phone, &token), web::BrowserAccess::Waiting::Allowed);
    EXPECT_TRUE(access.IsApproved(token));
    ASSERT_EQ(access.List().size(), 1U);
    EXPECT_EQ(access.List()[0].address, "10.0.0.7");
    EXPECT_EQ(access.List()[0].name, "Firefox on Android");

    // No, and a question closed without a button (the fake's default is No), refuse.
    user_.answers = {ui::Answer::No};
    EXPECT_EQ(BrowserAsks(access, laptop), web::BrowserAccess::Waiting::Asked);
    EXPECT_EQ(BrowserAsks(access, tablet), web::BrowserAccess::Waiting::Asked);
    EXPECT_EQ(dispatcher_.RunPending(), 2U);
    EXPECT_EQ(user_.questions.size(), 3U);
    std::string none;
    EXPECT_EQ(BrowserAsks(access, laptop, &none), web::BrowserAccess::Waiting::Refused);
    EXPECT_EQ(BrowserAsks(access, tablet, &none), web::BrowserAccess::Waiting::Refused);
    EXPECT_TRUE(none.empty());
    // Refused for a while: asking again brings no new question.
    EXPECT_EQ(dispatcher_.RunPending(), 0U);
    EXPECT_EQ(access.List().size(), 1U);
    // A refused browser cannot slip in by typing something either.
    EXPECT_FALSE(access.Approve(laptop, "").has_value());
}

TEST_F(WebViewHostTest, TheSettingsSwitchStartsAndStopsTheView) {
    SwitchView(false);
    ui::WebViewHost host(dispatcher_, user_, settingsFile_, LoopbackOptions());
    EXPECT_TRUE(host.Apply("desk"));
    EXPECT_FALSE(host.IsRunning());
    EXPECT_EQ(host.Access(), nullptr);
    SwitchView(true);
    EXPECT_TRUE(host.Apply("desk"));
    EXPECT_TRUE(host.IsRunning());
    // A question still queued when the owner switched the view off is not asked any more.
    EXPECT_EQ(BrowserAsks(*host.Access(), Address("10.0.0.7")), web::BrowserAccess::Waiting::Asked);
    SwitchView(false);
    EXPECT_TRUE(host.Apply("desk"));
    EXPECT_FALSE(host.IsRunning());
    dispatcher_.RunPending();
    EXPECT_TRUE(user_.questions.empty());
}

}  // namespace
