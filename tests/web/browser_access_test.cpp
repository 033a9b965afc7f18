// Letting browsers in: one question per waiting browser, one try at its code, a refusal that
// holds for its time without a new question, and tokens that the settings keep and revoke.
#include "web/browser_access.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>

#include "support/temp_folder.h"

namespace {

struct RecordingListener final : web::BrowserApprovalListener {
    void OnBrowserWaiting(Ipv4 address, const std::string& name, const std::string& code) override {
        asked.push_back({address, name, code});
    }
    struct Question {
        Ipv4 address;
        std::string name;
        std::string code;
    };
    std::vector<Question> asked;
};

Ipv4 Address(const char* text) {
    return inet_addr(text);
}

class BrowserAccessTest : public ::testing::Test {
protected:
    web::BrowserAccess MakeAccess(web::BrowserAccess::Options options = {}) {
        return web::BrowserAccess(temp_.IniPath(), &listener_, options, [this] { return now_; });
    }
    testing_support::TempFolder temp_;
    RecordingListener listener_;
    std::int64_t now_ = 1'000'000;
};

constexpr const char* kFirefoxAndroid =
    "Mozilla/5.0 (Android 14; Mobile; rv:120.0) Gecko/120.0 Firefox/120.0";

TEST_F(BrowserAccessTest, TheRightCodeLetsInOnceAndIsRemembered) {
    auto access = MakeAccess();
    const Ipv4 phone = Address("10.0.0.7");
    EXPECT_EQ(access.Wait(phone, kFirefoxAndroid), web::BrowserAccess::Waiting::Asked);
    EXPECT_EQ(access.Wait(phone, kFirefoxAndroid), web::BrowserAccess::Waiting::Asked);
    ASSERT_EQ(listener_.asked.size(), 1U);
    EXPECT_EQ(listener_.asked[0].name, "Firefox on Android");
    ASSERT_EQ(listener_.asked[0].code.size(), 6U);

    // Another address cannot use the code it did not get.
    EXPECT_FALSE(access.Approve(Address("10.0.0.8"), listener_.asked[0].code));
    const auto token = access.Approve(phone, listener_.asked[0].code);
    ASSERT_TRUE(token);
    EXPECT_TRUE(access.IsApproved(*token));
    // The same code does not work twice.
    EXPECT_FALSE(access.Approve(phone, listener_.asked[0].code));

    // Another object on the same settings sees it: the settings are the record.
    const auto listed = web::BrowserAccess(temp_.IniPath(), nullptr).List();
    ASSERT_EQ(listed.size(), 1U);
    EXPECT_EQ(listed[0].token, *token);
    EXPECT_EQ(listed[0].address, "10.0.0.7");
    EXPECT_EQ(listed[0].name, "Firefox on Android");

    EXPECT_TRUE(access.Revoke(*token));
    EXPECT_FALSE(access.IsApproved(*token));
    EXPECT_FALSE(access.IsApproved(""));
    EXPECT_FALSE(access.IsApproved(std::string(48, 'g')));
}

TEST_F(BrowserAccessTest, AWrongCodeRefusesForItsTimeWithoutANewQuestion) {
    auto access = MakeAccess();
    const Ipv4 laptop = Address("10.0.0.9");
    access.Wait(laptop, "curl/8.0");
    const std::string right = listener_.asked.at(0).code;
    EXPECT_FALSE(access.Approve(laptop, right == "000000" ? "000001" : "000000"));
    EXPECT_FALSE(access.Approve(laptop, right));

    now_ += 9'999;
    EXPECT_EQ(access.Wait(laptop, "curl/8.0"), web::BrowserAccess::Waiting::Refused);
    EXPECT_EQ(listener_.asked.size(), 1U);
    now_ += 1;
    EXPECT_EQ(access.Wait(laptop, "curl/8.0"), web::BrowserAccess::Waiting::Asked);
    EXPECT_EQ(listener_.asked.size(), 2U);
}

TEST_F(BrowserAccessTest, CodesExpireAndWaitingBrowsersAreBounded) {
    web::BrowserAccess::Options options;
    options.maxWaiting = 2;
    auto access = MakeAccess(options);
    access.Wait(Address("10.0.0.1"), "");
    access.Wait(Address("10.0.0.2"), "");
    EXPECT_EQ(access.Wait(Address("10.0.0.3"), ""), web::BrowserAccess::Waiting::Refused);
    EXPECT_EQ(listener_.asked.size(), 2U);

    now_ += options.codeLifetimeMs;
    EXPECT_FALSE(access.Approve(Address("10.0.0.1"), listener_.asked[0].code));
    EXPECT_EQ(access.Wait(Address("10.0.0.3"), ""), web::BrowserAccess::Waiting::Asked);
}

TEST(DescribeBrowserTest, NamesTheBrowserAndSystemInOurOwnWords) {
    EXPECT_EQ(web::DescribeBrowser("Mozilla/5.0 (Windows NT 10.0; Win64; x64) AppleWebKit/537.36 "
                                   "(KHTML, like Gecko) Chrome/120.0 Safari/537.36 Edg/120.0"),
              "Edge on Windows");
    EXPECT_EQ(web::DescribeBrowser("Mozilla/5.0 (iPhone; CPU iPhone OS 17_0 like Mac OS X) "
                                   "AppleWebKit/605.1.15 Version/17.0 Mobile/15E148 Safari/604.1"),
              "Safari on iPhone");
    EXPECT_EQ(web::DescribeBrowser("<script>alert(1)</script>"), "Browser");
}

}  // namespace
