#include <gtest/gtest.h>

#include "ui/splitter_drag.h"

namespace ui {
namespace {

constexpr Size kClient{1000, 700};
constexpr PanelSizes kPanels{400, 250};

TEST(SplitterHitTest, BandsCoverTheBarsAndNothingElse) {
    // Vertical bar: x in [L + 7, L + 12].
    EXPECT_EQ(HitTestSplitters({407, 100}, kClient, kPanels), SplitterBar::Vertical);
    EXPECT_EQ(HitTestSplitters({412, 100}, kClient, kPanels), SplitterBar::Vertical);
    EXPECT_EQ(HitTestSplitters({406, 100}, kClient, kPanels), SplitterBar::None);
    EXPECT_EQ(HitTestSplitters({413, 100}, kClient, kPanels), SplitterBar::None);
    // Horizontal bar: y in [H - B - 12, H - B - 7].
    EXPECT_EQ(HitTestSplitters({700, 438}, kClient, kPanels), SplitterBar::Horizontal);
    EXPECT_EQ(HitTestSplitters({700, 443}, kClient, kPanels), SplitterBar::Horizontal);
    EXPECT_EQ(HitTestSplitters({700, 437}, kClient, kPanels), SplitterBar::None);
    EXPECT_EQ(HitTestSplitters({700, 444}, kClient, kPanels), SplitterBar::None);
    // Where the two cross, the vertical bar wins.
    EXPECT_EQ(HitTestSplitters({410, 440}, kClient, kPanels), SplitterBar::Vertical);
}

TEST(SplitterDragTest, PressOutsideTheBarsStartsNothing) {
    SplitterDrag drag({200, 200}, kClient, kPanels);
    EXPECT_FALSE(drag.Active());
    EXPECT_EQ(drag.MoveTo({0, 0}), kPanels);
}

TEST(SplitterDragTest, VerticalBarFollowsTheMouseKeepingTheGrabOffset) {
    SplitterDrag drag({409, 100}, kClient, kPanels);
    ASSERT_EQ(drag.Bar(), SplitterBar::Vertical);
    EXPECT_EQ(drag.MoveTo({459, 300}), (PanelSizes{450, 250}));
    EXPECT_EQ(drag.BarRect(), (Rect{457, 43, 5, 650}));
    EXPECT_EQ(drag.Finish({389, 300}), (PanelSizes{380, 250}));
}

TEST(SplitterDragTest, VerticalBarStopsAtBothLimits) {
    SplitterDrag drag({409, 100}, kClient, kPanels);
    EXPECT_EQ(drag.MoveTo({0, 100}).leftPanelWidth, kMinLeftPanelWidth);
    EXPECT_EQ(drag.BarRect().x, kMinLeftPanelWidth + 7);
    EXPECT_EQ(drag.MoveTo({5000, 100}).leftPanelWidth, kClient.width - 111);
}

TEST(SplitterDragTest, EscapeRestoresTheStart) {
    SplitterDrag drag({409, 100}, kClient, kPanels);
    drag.MoveTo({100, 100});
    drag.MoveTo({600, 100});
    EXPECT_EQ(drag.Cancel(), kPanels);
}

TEST(SplitterDragTest, HorizontalBarMovesTheOtherWay) {
    // Grabbed 3 pixels above the bar's lower edge.
    SplitterDrag drag({700, 440}, kClient, kPanels);
    ASSERT_EQ(drag.Bar(), SplitterBar::Horizontal);
    EXPECT_EQ(drag.MoveTo({700, 450}), (PanelSizes{400, 240}));
    EXPECT_EQ(drag.BarRect(), (Rect{7, 448, 986, 5}));
    EXPECT_EQ(drag.MoveTo({700, 400}), (PanelSizes{400, 290}));
}

TEST(SplitterDragTest, HorizontalBarStopsAtBothLimits) {
    SplitterDrag drag({700, 440}, kClient, kPanels);
    EXPECT_EQ(drag.MoveTo({700, -50}).bottomPanelHeight, kClient.height - 115);
    EXPECT_EQ(drag.MoveTo({700, 5000}).bottomPanelHeight, kMinBottomPanelHeight);
}

TEST(SplitterDragTest, TooSmallWindowKeepsTheMinimumPanes) {
    // Here W - 111 < 150 and H - 115 < 98: the minimums win.
    const Size small{200, 200};
    const PanelSizes panels{60, 60};
    SplitterDrag vertical({69, 50}, small, panels);
    ASSERT_TRUE(vertical.Active());
    EXPECT_EQ(vertical.MoveTo({0, 50}).leftPanelWidth, kMinLeftPanelWidth);
    EXPECT_EQ(vertical.MoveTo({500, 50}).leftPanelWidth, kMinLeftPanelWidth);

    SplitterDrag horizontal({150, 130}, small, panels);
    ASSERT_EQ(horizontal.Bar(), SplitterBar::Horizontal);
    EXPECT_EQ(horizontal.MoveTo({150, 0}).bottomPanelHeight, kMinBottomPanelHeight);
    EXPECT_EQ(horizontal.MoveTo({150, 500}).bottomPanelHeight, kMinBottomPanelHeight);
}

}  // namespace
}  // namespace ui
