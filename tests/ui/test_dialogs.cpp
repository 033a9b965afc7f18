// The dialogs' logic: share writes, the add-host list and the first-run decisions. The wizard's
// pages and what its Finish writes are the widget tests'.
#include <gtest/gtest.h>

#include "core/parseini.h"
#include "support/temp_folder.h"
#include "ui/desktop/first_run.h"
#include "ui/desktop/host_mru.h"
#include "ui/desktop/share_checks.h"
#include "ui/desktop/wizard_flow.h"

namespace ui {
namespace {

using Lines = std::vector<std::string>;

class DialogTest : public testing::Test {
protected:
    Lines Section(const char* name) const {
        Lines lines;
        settings_.GetSection(name, lines);
        return lines;
    }

    testing_support::TempFolder sandbox_;
    utilcpp::CParseini settings_{sandbox_.IniPath()};
    const std::string folder_ = sandbox_.MakeFolder("Music");
};

TEST(ShareNameTest, DropAndWizardProposeTheLastFolderName) {
    // A dropped root keeps its whole path, which the user must change when it holds a backslash.
    EXPECT_EQ(ProposeShareNameForDrop("D:\\Data\\Photos"), "Photos");
    EXPECT_EQ(ProposeShareNameForFolder("/home/ann/Photos//"), "Photos");
    EXPECT_EQ(ProposeShareNameForDrop("/"), "/");
    EXPECT_EQ(ProposeShareNameForFolder("/"), "");
}

// Editing is the share dialog's widget test.
TEST_F(DialogTest, AddingReplacesTheSameName) {
    ASSERT_TRUE(WriteNewShare(settings_, "Music", sandbox_.Path("missing")));
    ASSERT_TRUE(WriteNewShare(settings_, "Music", folder_));
    EXPECT_EQ(Section("shares"), Lines{"Music=" + folder_});
}

TEST_F(DialogTest, ANameInOtherLettersIsRefusedUnlessItIsTheEditedShare) {
    ASSERT_TRUE(WriteNewShare(settings_, "Music", folder_));
    ASSERT_TRUE(WriteNewShare(settings_, "Docs", folder_));
    const std::string refusal = ShareNameCaseMessage(settings_, "MUSIC");
    EXPECT_NE(refusal.find("\"Music\""), std::string::npos) << refusal;
    EXPECT_NE(ShareNameCaseMessage(settings_, "music", "Docs"), "");   // a rename onto it
    EXPECT_EQ(ShareNameCaseMessage(settings_, "Music"), "");           // the same share again
    EXPECT_EQ(ShareNameCaseMessage(settings_, "MUSIC", "Music"), "");  // its own name recased
}

TEST_F(DialogTest, HostListKeepsTheTenNewestAndLeavesOverlongEntriesOut) {
    ASSERT_TRUE(SaveHostMru(settings_, {"j", "i", "h", "g", "f", "e", "d", "c", "b", "a"}));
    ASSERT_TRUE(
        SaveHostMru(settings_, MruAfterAccept("new", DisplayOrder(LoadHostMru(settings_)))));
    // The shown entries follow the new one alphabetically; the last of them goes.
    EXPECT_EQ(LoadHostMru(settings_), (Lines{"new", "a", "b", "c", "d", "e", "f", "g", "h", "i"}));
    settings_.SetString("global", HostMruKey(2), std::string(2000, 'x'));  // hand-edited
    EXPECT_EQ(LoadHostMru(settings_), (Lines{"new", "b", "c", "d", "e", "f", "g", "h", "i"}));
}

// The offer on a first start and none after it are the end-to-end test's.
TEST_F(DialogTest, FirstRunMarksItselfDoneWhenTheWizardIsCancelledOrAShareExists) {
    int wizardRuns = 0;
    EXPECT_FALSE(RunFirstRun(settings_, [&] { return ++wizardRuns, false; }));  // cancelled
    EXPECT_EQ(Section("global"), (Lines{"firstinstalled=1"}));
    settings_.SetInt("global", "firstinstalled", 0);
    settings_.SetString("shares", "Music", "/srv/music");
    EXPECT_TRUE(RunFirstRun(settings_, [&] { return ++wizardRuns, false; }));
    EXPECT_EQ(wizardRuns, 1);
    EXPECT_FALSE(ShouldOfferFirstRunWizard(settings_));
}

}  // namespace
}  // namespace ui
