#include <gtest/gtest.h>

#include "core/parseini.h"
#include "support/ui_pure_sandbox.h"
#include "ui/first_run.h"
#include "ui/options_settings.h"

namespace ui {
namespace {

using Lines = std::vector<std::string>;

class FirstRunTest : public testing::Test {
protected:
    Lines Global() const {
        Lines lines;
        settings_.GetSection("global", lines);
        return lines;
    }

    testing_support::Sandbox sandbox_;
    utilcpp::CParseini settings_{sandbox_.IniPath()};
};

TEST_F(FirstRunTest, NoSettingsFileMeansSplashAndWizard) {
    EXPECT_TRUE(ShouldShowSplash(settings_));
    EXPECT_TRUE(ShouldOfferFirstRunWizard(settings_));
    EXPECT_FALSE(HasAnyShare(settings_));
    settings_.SetInt("global", "skipsplash", 1);
    settings_.SetInt("global", "firstinstalled", 1);
    EXPECT_FALSE(ShouldShowSplash(settings_));
    EXPECT_FALSE(ShouldOfferFirstRunWizard(settings_));
}

TEST_F(FirstRunTest, AnExistingShareSkipsTheWizard) {
    settings_.SetString("shares", "Music", "/srv/music");
    int wizardRuns = 0;
    EXPECT_TRUE(RunFirstRun(settings_, [&] { return ++wizardRuns, true; }));
    EXPECT_EQ(wizardRuns, 0);
    EXPECT_FALSE(ShouldOfferFirstRunWizard(settings_));
}

TEST_F(FirstRunTest, CancelledWizardStillEndsTheFirstRun) {
    int wizardRuns = 0;
    EXPECT_FALSE(RunFirstRun(settings_, [&] { return ++wizardRuns, false; }));
    EXPECT_EQ(wizardRuns, 1);
    EXPECT_EQ(Global(), (Lines{"firstinstalled=1"}));
}

TEST_F(FirstRunTest, FinishedWizardIsReported) {
    EXPECT_TRUE(RunFirstRun(settings_, [] { return true; }));
    EXPECT_FALSE(ShouldOfferFirstRunWizard(settings_));
}

TEST_F(FirstRunTest, OptionsDefaultToTheMachineNameAndSoundOn) {
    EXPECT_EQ(LoadOptions(settings_, "machine"), (OptionsValues{"machine", true}));
    settings_.SetString("global", "hostname", "ann");
    settings_.SetInt("global", "sound", 0);
    EXPECT_EQ(LoadOptions(settings_, "machine"), (OptionsValues{"ann", false}));
    settings_.SetInt("global", "sound", 7);
    EXPECT_TRUE(LoadOptions(settings_, "machine").sound);
}

TEST_F(FirstRunTest, OptionsSaveAnEmptyNameAsItIs) {
    ASSERT_TRUE(SaveOptions(settings_, {"", false}));
    EXPECT_EQ(Global(), (Lines{"hostname=", "sound=0"}));
    EXPECT_EQ(LoadOptions(settings_, "machine"), (OptionsValues{"", false}));
    ASSERT_TRUE(SaveOptions(settings_, {"bob", true}));
    EXPECT_EQ(Global(), (Lines{"hostname=bob", "sound=1"}));
}

}  // namespace
}  // namespace ui
