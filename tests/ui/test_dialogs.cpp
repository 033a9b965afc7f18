// The dialogs' logic: share writes, the add-host list and the first-run decisions. The wizard's
// pages and what its Finish writes are the widget tests'.
#include <arpa/inet.h>
#include <gtest/gtest.h>

#include <filesystem>

#include "core/parseini.h"
#include "support/ui_pure_sandbox.h"
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

    testing_support::Sandbox sandbox_;
    utilcpp::CParseini settings_{sandbox_.IniPath()};
    const std::string folder_ = sandbox_.MakeFolder("Music");
    const std::string file_ = sandbox_.MakeFile("notes.txt");
    const std::string missing_ = sandbox_.Path("missing");
};

TEST(ShareNameTest, DropAndWizardProposeTheLastFolderName) {
    // A dropped root keeps its whole path, which the user must change when it holds a backslash.
    const std::tuple<const char*, const char*, const char*> cases[] = {
        {"D:\\Data\\Photos", "Photos", "Photos"},
        {"/home/ann/Photos//", "/home/ann/Photos//", "Photos"},
        {"/", "/", ""}};
    for (const auto& [folder, dropped, wizard] : cases) {
        EXPECT_EQ(ProposeShareNameForDrop(folder), dropped) << folder;
        EXPECT_EQ(ProposeShareNameForFolder(folder), wizard) << folder;
    }
}

TEST_F(DialogTest, AddingReplacesTheSameNameAndEditingLeavesOnlyTheNewName) {
    ASSERT_TRUE(WriteNewShare(settings_, "Docs", file_));
    ASSERT_TRUE(WriteNewShare(settings_, "Music", missing_));
    ASSERT_TRUE(WriteNewShare(settings_, "Music", folder_));
    EXPECT_EQ(Section("shares"), (Lines{"Docs=" + file_, "Music=" + folder_}));
    ASSERT_TRUE(WriteEditedShare(settings_, "Music", "Songs", missing_));
    EXPECT_EQ(Section("shares"), (Lines{"Docs=" + file_, "Songs=" + missing_}));
    ASSERT_TRUE(WriteEditedShare(settings_, "Songs", "Songs", folder_));
    EXPECT_EQ(Section("shares"), (Lines{"Docs=" + file_, "Songs=" + folder_}));
}

TEST_F(DialogTest, ANameInOtherLettersIsRefusedUnlessItIsTheEditedShare) {
    ASSERT_TRUE(WriteNewShare(settings_, "Music", folder_));
    ASSERT_TRUE(WriteNewShare(settings_, "Docs", folder_));
    const std::string refusal = ShareNameCaseMessage(settings_, "MUSIC");
    EXPECT_NE(refusal.find("\"Music\""), std::string::npos) << refusal;
    EXPECT_NE(ShareNameCaseMessage(settings_, "music", "Docs"), "");   // a rename onto it
    EXPECT_EQ(ShareNameCaseMessage(settings_, "Music"), "");           // the same share again
    EXPECT_EQ(ShareNameCaseMessage(settings_, "MUSIC", "Music"), "");  // its own name recased
    EXPECT_EQ(ShareNameCaseMessage(settings_, "Songs"), "");

    // The share wizard's name page holds Next back on the same refusal.
    WizardFlow wizard(false, "pc", IsExistingFolder, [&](const std::string& name) {
        return ShareNameCaseMessage(settings_, name);
    });
    ASSERT_TRUE(wizard.Next());
    wizard.SetPathField(folder_);
    ASSERT_TRUE(wizard.Next());
    wizard.SetNameField("MUSIC");
    EXPECT_EQ(wizard.NameWarning(), refusal);
    EXPECT_FALSE(wizard.Next());
    wizard.SetNameField("Music");
    EXPECT_TRUE(wizard.Next());
}

class HostMruTest : public DialogTest {
protected:
    // Entry n + 1 for each text; an empty text leaves its key out.
    void Store(const Lines& entries) {
        for (int n = 1; n <= kHostMruSize; ++n) settings_.DeleteKey("global", HostMruKey(n));
        for (std::size_t i = 0; i < entries.size(); ++i) {
            if (!entries[i].empty())
                settings_.SetString("global", HostMruKey(int(i) + 1), entries[i]);
        }
    }
    // The dialog shows the stored list, the user types `text` and presses OK.
    AddHostResult Enter(const std::string& text, bool resolves = true) {
        resolved_.clear();
        const HostResolver resolver = [&](const std::string& name, Ipv4& address) {
            resolved_ = name;
            address = htonl(0x0A000005);
            return resolves;
        };
        return AcceptHostEntry(text, DisplayOrder(LoadHostMru(settings_)), resolver, settings_);
    }

    std::string resolved_;
};

TEST_F(HostMruTest, ReadingStopsAtTheFirstGapSkipsOverlongEntriesAndShowsAlphabetically) {
    Store({"pc-a", std::string(2000, 'x'), "pc-c", "", "pc-e"});
    EXPECT_EQ(LoadHostMru(settings_), (Lines{"pc-a", "pc-c"}));
    settings_.DeleteKey("global", HostMruKey(1));
    EXPECT_EQ(LoadHostMru(settings_), Lines{});
    EXPECT_EQ(DisplayOrder({"pc-b", "PC-A", "alpha", "pc-a", "Zulu"}),
              (Lines{"alpha", "PC-A", "pc-a", "pc-b", "Zulu"}));
}

TEST_F(HostMruTest, AcceptedTextComesFirstAndTheShownEntriesFollow) {
    using O = AddHostOutcome;
    const std::tuple<Lines, std::string, bool, AddHostOutcome, Lines> cases[] = {
        {{"pc-b", "pc-a"}, "pc-c", true, O::Accepted, {"pc-c", "pc-a", "pc-b"}},
        {{"pc-a", "pc-b", "pc-c"}, "pc-b", true, O::Accepted, {"pc-b", "pc-a", "pc-c"}},
        // Duplicates are compared with regard to case.
        {{"pc-a", "pc-b"}, "PC-A", true, O::Accepted, {"PC-A", "pc-a", "pc-b"}},
        // Ten at most: the alphabetically last one goes.
        {{"j", "i", "h", "g", "f", "e", "d", "c", "b", "a"},
         "new",
         true,
         O::Accepted,
         {"new", "a", "b", "c", "d", "e", "f", "g", "h", "i"}},
        {{"pc-a"}, "", true, O::Ignored, {"pc-a"}},
        {{"pc-a"}, "nowhere", false, O::Unresolved, {"pc-a"}}};
    for (const auto& [stored, typed, resolves, outcome, after] : cases) {
        SCOPED_TRACE(typed);
        Store(stored);
        const AddHostResult result = Enter(typed, resolves);
        EXPECT_EQ(result.outcome, outcome);
        EXPECT_EQ(resolved_, typed);  // empty text is not even resolved
        EXPECT_EQ(LoadHostMru(settings_), after);
        if (outcome != O::Accepted) continue;
        EXPECT_EQ(result.address, htonl(0x0A000005));
        EXPECT_EQ(result.text, typed);
    }
}

TEST_F(DialogTest, FirstRunOffersTheWizardOnceUnlessAShareExists) {
    EXPECT_TRUE(ShouldShowSplash(settings_) && ShouldOfferFirstRunWizard(settings_));
    int wizardRuns = 0;
    EXPECT_FALSE(RunFirstRun(settings_, [&] { return ++wizardRuns, false; }));  // cancelled
    EXPECT_EQ(Section("global"), (Lines{"firstinstalled=1"}));
    settings_.SetInt("global", "skipsplash", 1);
    EXPECT_FALSE(ShouldShowSplash(settings_) || ShouldOfferFirstRunWizard(settings_));

    settings_.SetInt("global", "firstinstalled", 0);
    EXPECT_TRUE(RunFirstRun(settings_, [&] { return ++wizardRuns, true; }));
    settings_.SetInt("global", "firstinstalled", 0);
    settings_.SetString("shares", "Music", "/srv/music");
    EXPECT_TRUE(RunFirstRun(settings_, [&] { return ++wizardRuns, false; }));
    EXPECT_EQ(wizardRuns, 2);
    EXPECT_FALSE(ShouldOfferFirstRunWizard(settings_));
}

}  // namespace
}  // namespace ui
