#include <gtest/gtest.h>

#include <filesystem>

#include "core/parseini.h"
#include "support/ui_pure_sandbox.h"
#include "ui/share_checks.h"
#include "ui/wizard_flow.h"

namespace ui {
namespace {

using Lines = std::vector<std::string>;

class WizardTest : public testing::Test {
protected:
    WizardFlow Make(bool firstRun) { return WizardFlow(firstRun, "pc-start", IsExistingFolder); }
    Lines Section(const char* name) const {
        Lines lines;
        settings_.GetSection(name, lines);
        return lines;
    }

    testing_support::Sandbox sandbox_;
    utilcpp::CParseini settings_{sandbox_.IniPath()};
};

bool Same(WizardButtons a, WizardButtons b) {
    return a.back == b.back && a.next == b.next && a.finish == b.finish;
}

TEST(ShareNameProposalTest, TakesTheLastFolderName) {
    EXPECT_EQ(ProposeShareNameForFolder("D:\\Data\\Photos\\"), "Photos");
    EXPECT_EQ(ProposeShareNameForFolder("D:\\Data\\Photos"), "Photos");
    EXPECT_EQ(ProposeShareNameForFolder("/home/ann/Photos//"), "Photos");
    EXPECT_EQ(ProposeShareNameForFolder("D:\\"), "D:");
    EXPECT_EQ(ProposeShareNameForFolder("Photos"), "Photos");
    EXPECT_EQ(ProposeShareNameForFolder("/"), "");
    EXPECT_EQ(ProposeShareNameForFolder(""), "");
}

TEST_F(WizardTest, FirstRunWithoutShareGoesStraightToTheEnd) {
    WizardFlow wizard = Make(true);
    EXPECT_TRUE(Same(wizard.Buttons(), {false, true, false}));
    EXPECT_FALSE(wizard.Back());

    ASSERT_TRUE(wizard.Next());
    ASSERT_EQ(wizard.Page(), WizardPage::ComputerName);
    EXPECT_EQ(wizard.HostField(), "pc-start");
    EXPECT_TRUE(wizard.ShareNowChecked());
    wizard.SetHostField("");
    EXPECT_TRUE(Same(wizard.Buttons(), {true, false, false}));
    EXPECT_FALSE(wizard.Next());
    wizard.SetHostField("x");
    EXPECT_TRUE(wizard.Buttons().next);
    wizard.SetShareNowChecked(false);

    ASSERT_TRUE(wizard.Next());
    EXPECT_EQ(wizard.Page(), WizardPage::Completed);
    EXPECT_TRUE(Same(wizard.Buttons(), {true, false, true}));
    ASSERT_TRUE(wizard.Back());
    EXPECT_EQ(wizard.Page(), WizardPage::ComputerName);
    ASSERT_TRUE(wizard.Next());

    ASSERT_TRUE(wizard.Finish(settings_));
    EXPECT_EQ(Section("global"), (Lines{"hostname=x"}));
    EXPECT_EQ(Section("shares"), Lines{});
}

TEST_F(WizardTest, FirstRunWithShareWritesNameAndShare) {
    const std::string photos = sandbox_.MakeFolder("Photos");
    WizardFlow wizard = Make(true);
    wizard.Next();
    wizard.SetHostField("ann");
    ASSERT_TRUE(wizard.Next());
    ASSERT_EQ(wizard.Page(), WizardPage::Folder);
    EXPECT_EQ(wizard.PathField(), "");
    EXPECT_FALSE(wizard.Buttons().next);
    wizard.SetPathField(sandbox_.Path("missing"));
    EXPECT_FALSE(wizard.Buttons().next);
    EXPECT_TRUE(wizard.Buttons().back);
    wizard.FolderChosen(photos + "/");
    ASSERT_TRUE(wizard.Next());

    ASSERT_EQ(wizard.Page(), WizardPage::ShareName);
    EXPECT_EQ(wizard.NameField(), "Photos");
    EXPECT_FALSE(wizard.NameWarning().has_value());
    wizard.SetNameField("Pho\\tos");
    EXPECT_EQ(wizard.NameWarning(), StringId::ShareNameBackslash);
    EXPECT_FALSE(wizard.Buttons().next);
    wizard.SetNameField("");
    EXPECT_FALSE(wizard.NameWarning().has_value());
    EXPECT_FALSE(wizard.Buttons().next);
    wizard.SetNameField("Pictures");
    ASSERT_TRUE(wizard.Next());

    EXPECT_EQ(wizard.Page(), WizardPage::Completed);
    ASSERT_TRUE(wizard.Back());
    EXPECT_EQ(wizard.Page(), WizardPage::ShareName);
    ASSERT_TRUE(wizard.Next());
    // Nothing is written before Finish.
    EXPECT_EQ(Section("global"), Lines{});
    ASSERT_TRUE(wizard.Finish(settings_));
    EXPECT_EQ(Section("global"), (Lines{"hostname=ann"}));
    EXPECT_EQ(Section("shares"), (Lines{"Pictures=" + photos + "/"}));
}

TEST_F(WizardTest, ShareWizardSkipsTheComputerNameAndKeepsTheHostName) {
    settings_.SetString("global", "hostname", "old-name");
    const std::string music = sandbox_.MakeFolder("Music");
    WizardFlow wizard = Make(false);
    ASSERT_TRUE(wizard.Next());
    ASSERT_EQ(wizard.Page(), WizardPage::Folder);
    ASSERT_TRUE(wizard.Back());
    ASSERT_EQ(wizard.Page(), WizardPage::Welcome);
    wizard.Next();
    wizard.SetPathField(music);
    wizard.Next();
    wizard.Next();
    ASSERT_EQ(wizard.Page(), WizardPage::Completed);
    ASSERT_TRUE(wizard.Back());
    EXPECT_EQ(wizard.Page(), WizardPage::ShareName);
    wizard.Next();
    ASSERT_TRUE(wizard.Finish(settings_));
    EXPECT_EQ(Section("global"), (Lines{"hostname=old-name"}));
    EXPECT_EQ(Section("shares"), (Lines{"Music=" + music}));
}

TEST_F(WizardTest, ConfirmedNameSurvivesAChangedFolderButAnUnconfirmedPathDoesNot) {
    const std::string first = sandbox_.MakeFolder("First");
    const std::string second = sandbox_.MakeFolder("Second");
    WizardFlow wizard = Make(false);
    wizard.Next();
    wizard.SetPathField(first);
    wizard.Next();
    wizard.SetNameField("Mine");
    wizard.Next();
    wizard.Back();
    wizard.Back();
    ASSERT_EQ(wizard.Page(), WizardPage::Folder);
    EXPECT_EQ(wizard.PathField(), first);
    wizard.SetPathField(second);
    wizard.Next();
    EXPECT_EQ(wizard.NameField(), "Mine");

    // A path typed and left with Back is replaced by the confirmed one on return.
    wizard.Back();
    wizard.SetPathField("/typed/but/not/confirmed");
    wizard.Back();
    wizard.Next();
    EXPECT_EQ(wizard.PathField(), second);
}

TEST_F(WizardTest, NameIsProposedAgainWhileNoneWasConfirmed) {
    const std::string first = sandbox_.MakeFolder("First");
    const std::string second = sandbox_.MakeFolder("Second");
    WizardFlow wizard = Make(false);
    wizard.Next();
    wizard.SetPathField(first);
    wizard.Next();
    EXPECT_EQ(wizard.NameField(), "First");
    wizard.SetNameField("typed");
    wizard.Back();
    wizard.SetPathField(second);
    wizard.Next();
    EXPECT_EQ(wizard.NameField(), "Second");
}

TEST_F(WizardTest, FinishOnlyOnTheLastPageAndCancelWritesNothing) {
    {
        WizardFlow wizard = Make(true);
        wizard.Next();
        EXPECT_FALSE(wizard.Finish(settings_));
        wizard.SetHostField("a");
        // The user cancels here: the flow is dropped.
    }
    EXPECT_FALSE(std::filesystem::exists(sandbox_.IniPath()));
}

}  // namespace
}  // namespace ui
