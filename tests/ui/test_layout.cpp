// The main window's arithmetic: pane layout, splitter drags, the stored placement and centring.
#include <gtest/gtest.h>

#include "core/parseini.h"
#include "support/ui_pure_sandbox.h"
#include "ui/desktop/splitter_drag.h"
#include "ui/desktop/window_layout.h"
#include "ui/desktop/window_placement.h"

namespace ui {
namespace {

constexpr Size kClient{1000, 700};
constexpr PanelSizes kPanels{400, 250};

// The panes must meet the splitter bars exactly and keep a 7-pixel margin to the window edge
// for a roomy and a cramped window; a wrong sign anywhere shows up as a gap or an overlap.
TEST(MainLayoutTest, PanesAdjoinTheSplittersInALargeAndASmallWindow) {
    for (const Size client : {Size{850, 600}, Size{400, 350}}) {
        for (const int left : {150, 300, client.width - 150}) {
            for (const int bottom : {98, 200, client.height - 150}) {
                SCOPED_TRACE(testing::Message() << client.width << "x" << client.height << " L"
                                                << left << " B" << bottom);
                const MainLayout l = ComputeMainLayout(client, {left, bottom});
                EXPECT_EQ(l.tree.Right(), l.verticalSplitter.x);
                EXPECT_EQ(l.verticalSplitter.Right(), l.fileList.x);
                EXPECT_EQ(l.fileList.Right(), client.width - 7);
                EXPECT_EQ(l.tree.Bottom(), l.horizontalSplitter.y);
                EXPECT_EQ(l.horizontalSplitter.Bottom(), l.chatPane.y);
                EXPECT_EQ(l.chatPane.Bottom(), client.height - 7);
                EXPECT_EQ(l.transferGroup.x, l.fileList.x);
                EXPECT_EQ(l.transferGroup.y, l.chatPane.y);
                EXPECT_EQ(l.transferGroup.Right(), client.width - 7);
                EXPECT_EQ(l.transferList.Right(), l.transferGroup.width - 7);
                EXPECT_EQ(l.sendButton.Right(), l.chatPane.width - 7);
                EXPECT_LT(l.chatInput.Right(), l.sendButton.x);
            }
        }
    }
}

TEST(MainLayoutTest, MinimumsDefaultsAndStoredPanelsFitTheWindow) {
    EXPECT_EQ(MinimumTrackingSize({400, 250}), (Size{519, 419}));
    EXPECT_EQ(MinimumTrackingSize({150, 98}), (Size{269, 267}));
    EXPECT_EQ(DefaultBottomPanelHeight(541), 360);
    for (const int width : {834, 835}) {  // equal panes for even and odd widths
        const MainLayout l = ComputeMainLayout({width, 540}, {DefaultLeftPanelWidth(width), 360});
        EXPECT_EQ((l.fileList.width - l.tree.width) * 2, width % 2 == 0 ? 2 : 0) << width;
    }
    EXPECT_EQ(ClampStoredPanels({5000, 5000}, {1000, 600}), (PanelSizes{850, 450}));
    EXPECT_EQ(ClampStoredPanels({851, 451}, {1000, 600}), (PanelSizes{850, 450}));
    EXPECT_EQ(ClampStoredPanels({300, 200}, {1000, 600}), (PanelSizes{300, 200}));
}

TEST(SplitterTest, DraggedBarKeepsTheGrabOffsetAndStopsAtTheLimits) {
    constexpr Size kSmall{200, 200};  // W - 111 < 150 and H - 115 < 98: the minimums win
    const std::tuple<Size, PanelSizes, Point, Point, PanelSizes> cases[] = {
        {kClient, kPanels, {409, 100}, {459, 300}, {450, 250}},
        {kClient, kPanels, {409, 100}, {5000, 100}, {889, 250}},
        // Grabbed 3 pixels above the horizontal bar's lower edge.
        {kClient, kPanels, {700, 440}, {700, 450}, {400, 240}},
        {kClient, kPanels, {700, 440}, {700, 5000}, {400, 98}},
        {kSmall, {60, 60}, {69, 50}, {500, 50}, {150, 60}},
        {kSmall, {60, 60}, {150, 130}, {150, 0}, {60, 98}}};
    for (const auto& [client, start, press, to, expected] : cases) {
        SCOPED_TRACE(testing::Message()
                     << press.x << "," << press.y << " to " << to.x << "," << to.y);
        SplitterDrag drag(press, client, start);
        ASSERT_TRUE(drag.Active());
        EXPECT_EQ(drag.MoveTo(to), expected);
        // The outline is drawn where the bar will be.
        const MainLayout layout = ComputeMainLayout(client, expected);
        EXPECT_EQ(drag.BarRect(), drag.Bar() == SplitterBar::Vertical ? layout.verticalSplitter
                                                                      : layout.horizontalSplitter);
        EXPECT_EQ(drag.Cancel(), start);  // Escape
        EXPECT_EQ(drag.Finish(to), expected);
    }
    SplitterDrag outside({200, 200}, kClient, kPanels);
    EXPECT_FALSE(outside.Active());
    EXPECT_EQ(outside.MoveTo({0, 0}), kPanels);
}

class StoredWindowTest : public testing::Test {
protected:
    std::string Raw(const std::string& key) const {
        std::string value;
        settings_.GetString("global", key, value, "-");
        return value;
    }
    std::optional<WindowPlacement> Load(unsigned flags = kMainWindowRestoreFlags) const {
        return LoadPlacement(settings_, "global", flags);
    }

    testing_support::Sandbox sandbox_;
    utilcpp::CParseini settings_{sandbox_.IniPath()};
};

TEST_F(StoredWindowTest, PlacementRoundTripsWhereverItLiesAndNeedsAUsableSize) {
    EXPECT_FALSE(Load().has_value());
    settings_.SetInt("global", "XPos", 10);
    settings_.SetInt("global", "YSize", 300);
    EXPECT_FALSE(Load().has_value());
    settings_.SetInt("global", "XSize", -5);  // hand-edited
    EXPECT_FALSE(Load().has_value());
    for (const WindowPlacement& saved : {WindowPlacement{{100, 50, 800, 640}, false, true},
                                         WindowPlacement{{-3000, -200, 800, 600}}}) {
        ASSERT_TRUE(SavePlacement(settings_, "global", saved, kMainWindowSaveFlags));
        EXPECT_EQ(Load(), saved);
    }
    EXPECT_EQ(Raw("XSize") + " " + Raw("IsMaximized") + " " + Raw("IsHidden"), "800 0 0");

    // A cleared flag deletes its key on save and is ignored on restore.
    const WindowPlacement hiddenTopMost{{0, 0, 640, 480}, false, false, true, true};
    ASSERT_TRUE(SavePlacement(settings_, "global", hiddenTopMost, kMainWindowSaveFlags));
    EXPECT_EQ(Raw("IsTopMost"), "1");
    ASSERT_TRUE(SavePlacement(settings_, "global", hiddenTopMost, kPlacementHidden));
    EXPECT_EQ(Raw("IsTopMost") + Raw("IsMinimized") + Raw("IsHidden"), "--1");
    const auto restored = Load(kPlacementMinimized | kPlacementMaximized);
    ASSERT_TRUE(restored.has_value());
    EXPECT_FALSE(restored->hidden || restored->topMost);
}

TEST(CentringTest, CentresOverTheOwnerOrThePrimaryAreaInsideTheWorkArea) {
    constexpr Rect kScreen{0, 0, 1920, 1040};
    constexpr Size kIcon{16, 16};
    const std::tuple<Size, Rect, Rect, std::optional<Rect>, Size, Point> cases[] = {
        {{200, 100}, kScreen, kScreen, Rect{100, 100, 400, 300}, kIcon, {200, 200}},
        // Odd differences are halved toward zero.
        {{200, 100}, kScreen, kScreen, Rect{100, 100, 401, 301}, kIcon, {200, 200}},
        // At least one small icon inside the owner's corner.
        {{300, 200}, kScreen, kScreen, Rect{100, 100, 200, 150}, kIcon, {116, 116}},
        {{300, 200}, kScreen, kScreen, Rect{100, 100, 200, 150}, {20, 24}, {120, 124}},
        // Without an owner: (100 - 301) / 2 = -100, toward zero, and no icon offset.
        {{301, 301}, {-1000, -1000, 3000, 3000}, {0, 0, 100, 100}, {}, kIcon, {-100, -100}},
        // Pushed back into the work area.
        {{200, 100}, kScreen, kScreen, Rect{1800, 980, 400, 300}, kIcon, {1720, 940}},
        {{200, 100}, kScreen, kScreen, Rect{-500, -400, 400, 300}, kIcon, {0, 0}},
        // Larger than the work area: the top-left corner stays visible.
        {{1200, 900}, {10, 20, 1000, 700}, kScreen, {}, kIcon, {10, 20}},
        {{1200, 900}, {10, 20, 1000, 700}, kScreen, Rect{500, 300, 400, 300}, kIcon, {10, 20}}};
    for (const auto& [window, work, primary, owner, icon, expected] : cases) {
        const Point at =
            CentredPosition({{0, 0, window.width, window.height}, work, primary, owner, icon});
        EXPECT_EQ(at, expected) << expected.x << "," << expected.y << " but " << at.x << ","
                                << at.y;
    }
    EXPECT_EQ(DefaultMainWindowRect(kScreen), (Rect{535, 220, 850, 600}));
    EXPECT_EQ(DefaultMainWindowRect({0, 0, 800, 480}), (Rect{0, 0, 850, 600}));
}

}  // namespace
}  // namespace ui
