#include <gtest/gtest.h>

#include "core/parseini.h"
#include "support/ui_pure_sandbox.h"
#include "ui/window_placement.h"

namespace ui {
namespace {

class PlacementTest : public testing::Test {
protected:
    std::string Raw(const std::string& key) const {
        std::string value;
        settings_.GetString("global", key, value, "<absent>");
        return value;
    }

    testing_support::Sandbox sandbox_;
    utilcpp::CParseini settings_{sandbox_.IniPath()};
};

TEST_F(PlacementTest, NothingStoredRestoresNothing) {
    EXPECT_FALSE(LoadPlacement(settings_, "global", kMainWindowRestoreFlags).has_value());
    settings_.SetInt("global", "XPos", 10);
    settings_.SetInt("global", "YSize", 300);
    EXPECT_FALSE(LoadPlacement(settings_, "global", kMainWindowRestoreFlags).has_value());
}

TEST_F(PlacementTest, MaximizedWindowRoundTripsWithItsNormalRectangle) {
    WindowPlacement saved;
    saved.normal = {100, 50, 800, 640};
    saved.maximized = true;
    ASSERT_TRUE(SavePlacement(settings_, "global", saved, kMainWindowSaveFlags));
    EXPECT_EQ(Raw("XSize"), "800");
    EXPECT_EQ(Raw("IsMaximized"), "1");
    EXPECT_EQ(Raw("IsHidden"), "0");

    const auto loaded = LoadPlacement(settings_, "global", kMainWindowRestoreFlags);
    ASSERT_TRUE(loaded.has_value());
    EXPECT_EQ(*loaded, saved);
    EXPECT_EQ(RestoreShowMode(*loaded, kMainWindowRestoreFlags), ShowMode::Maximized);
}

TEST_F(PlacementTest, ClearedFlagDeletesItsKeyOnSaveAndIsIgnoredOnRestore) {
    WindowPlacement saved;
    saved.normal = {0, 0, 640, 480};
    saved.topMost = true;
    saved.hidden = true;
    ASSERT_TRUE(SavePlacement(settings_, "global", saved, kMainWindowSaveFlags));
    EXPECT_EQ(Raw("IsTopMost"), "1");

    ASSERT_TRUE(SavePlacement(settings_, "global", saved, kPlacementHidden));
    EXPECT_EQ(Raw("IsTopMost"), "<absent>");
    EXPECT_EQ(Raw("IsMinimized"), "<absent>");
    EXPECT_EQ(Raw("IsHidden"), "1");

    const auto withoutHidden =
        LoadPlacement(settings_, "global", kPlacementMinimized | kPlacementMaximized);
    ASSERT_TRUE(withoutHidden.has_value());
    EXPECT_FALSE(withoutHidden->hidden);
    EXPECT_FALSE(withoutHidden->topMost);
}

TEST_F(PlacementTest, PositionOnAVanishedMonitorIsRestoredAsStored) {
    WindowPlacement saved;
    saved.normal = {-3000, -200, 800, 600};
    SavePlacement(settings_, "global", saved, kMainWindowSaveFlags);
    const auto loaded = LoadPlacement(settings_, "global", kMainWindowRestoreFlags);
    ASSERT_TRUE(loaded.has_value());
    EXPECT_EQ(loaded->normal, saved.normal);
}

TEST_F(PlacementTest, HandEditedNegativeSizeCountsAsNothingStored) {
    settings_.SetInt("global", "XSize", -5);
    settings_.SetInt("global", "YSize", 400);
    EXPECT_FALSE(LoadPlacement(settings_, "global", kMainWindowRestoreFlags).has_value());
}

TEST(RestoreShowModeTest, HiddenWinsThenMaximizedThenMinimized) {
    WindowPlacement p;
    p.hidden = p.maximized = p.minimized = true;
    EXPECT_EQ(RestoreShowMode(p, kMainWindowRestoreFlags), ShowMode::LeaveHidden);
    p.hidden = false;
    EXPECT_EQ(RestoreShowMode(p, kMainWindowRestoreFlags), ShowMode::Maximized);
    p.maximized = false;
    EXPECT_EQ(RestoreShowMode(p, kMainWindowRestoreFlags), ShowMode::Minimized);
    p.minimized = false;
    EXPECT_EQ(RestoreShowMode(p, kMainWindowRestoreFlags), ShowMode::Normal);
    EXPECT_EQ(RestoreShowMode(p, kMainWindowSaveFlags), ShowMode::NormalNoActivate);
}

CentringInput Centring(Size window, Rect workArea, std::optional<Rect> owner) {
    CentringInput input;
    input.window = {0, 0, window.width, window.height};
    input.workArea = workArea;
    input.primaryWorkArea = workArea;
    input.owner = owner;
    return input;
}

constexpr Rect kScreen{0, 0, 1920, 1040};

TEST(CentringTest, CentresOverTheOwner) {
    EXPECT_EQ(CentredPosition(Centring({200, 100}, kScreen, Rect{100, 100, 400, 300})),
              (Point{200, 200}));
    // Odd differences are halved toward zero.
    EXPECT_EQ(CentredPosition(Centring({200, 100}, kScreen, Rect{100, 100, 401, 301})),
              (Point{200, 200}));
}

TEST(CentringTest, StaysOneSmallIconInsideTheOwnersCorner) {
    CentringInput input = Centring({300, 200}, kScreen, Rect{100, 100, 200, 150});
    EXPECT_EQ(CentredPosition(input), (Point{116, 116}));
    input.smallIcon = {20, 24};
    EXPECT_EQ(CentredPosition(input), (Point{120, 124}));
}

TEST(CentringTest, WithoutOwnerCentresOnThePrimaryWorkArea) {
    CentringInput input = Centring({301, 301}, {-1000, -1000, 3000, 3000}, std::nullopt);
    input.primaryWorkArea = {0, 0, 100, 100};
    // (100 - 301) / 2 = -100, toward zero; no icon offset without an owner.
    EXPECT_EQ(CentredPosition(input), (Point{-100, -100}));
}

TEST(CentringTest, IsPushedBackIntoTheWorkArea) {
    EXPECT_EQ(CentredPosition(Centring({200, 100}, kScreen, Rect{1800, 980, 400, 300})),
              (Point{1720, 940}));
    EXPECT_EQ(CentredPosition(Centring({200, 100}, kScreen, Rect{-500, -400, 400, 300})),
              (Point{0, 0}));
}

TEST(CentringTest, WindowLargerThanTheWorkAreaKeepsItsTopLeftVisible) {
    const Rect work{10, 20, 1000, 700};
    EXPECT_EQ(CentredPosition(Centring({1200, 900}, work, std::nullopt)), (Point{10, 20}));
    EXPECT_EQ(CentredPosition(Centring({1200, 900}, work, Rect{500, 300, 400, 300})),
              (Point{10, 20}));
}

TEST(CentringTest, DefaultMainWindowIsCentred850By600) {
    EXPECT_EQ(DefaultMainWindowRect(kScreen), (Rect{535, 220, 850, 600}));
    EXPECT_EQ(DefaultMainWindowRect({0, 30, 1280, 994}), (Rect{215, 227, 850, 600}));
    // A screen smaller than the window: the top-left corner stays on it.
    EXPECT_EQ(DefaultMainWindowRect({0, 0, 800, 480}), (Rect{0, 0, 850, 600}));
}

}  // namespace
}  // namespace ui
