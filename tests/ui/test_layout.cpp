// The main window's arithmetic: pane layout and splitter drags.
#include <gtest/gtest.h>

#include "ui/desktop/splitter_drag.h"
#include "ui/desktop/window_layout.h"

namespace ui {
namespace {

constexpr Size kClient{1000, 700};
constexpr PanelSizes kPanels{400, 250};

// The panes must meet the splitter bars exactly and keep a 7-pixel margin to the window edge
// for a roomy and a cramped window; a wrong sign anywhere shows up as a gap or an overlap.
TEST(MainLayoutTest, PanesAdjoinTheSplittersAndStoredPanelsFitTheWindow) {
    for (const Size client : {Size{850, 600}, Size{400, 350}}) {
        for (const int left : {150, client.width - 150}) {
            for (const int bottom : {98, client.height - 150}) {
                SCOPED_TRACE(testing::Message() << client.width << " L" << left << " B" << bottom);
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
    EXPECT_EQ(MinimumTrackingSize({150, 98}), (Size{269, 267}));
}

TEST(SplitterTest, DraggedBarKeepsTheGrabOffsetAndStopsAtTheLimits) {
    constexpr Size kSmall{200, 200};  // W - 111 < 150 and H - 115 < 98: the minimums win
    const std::tuple<Size, PanelSizes, Point, Point, PanelSizes> cases[] = {
        {kClient, kPanels, {409, 100}, {459, 300}, {450, 250}},
        {kClient, kPanels, {409, 100}, {5000, 100}, {889, 250}},
        {kSmall, {60, 60}, {69, 50}, {500, 50}, {150, 60}},
        {kSmall, {60, 60}, {150, 130}, {150, 0}, {60, 98}}};
    for (const auto& [client, start, press, to, expected] : cases) {
        SCOPED_TRACE(testing::Message() << press.x << "," << press.y << " to " << to.x);
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

}  // namespace
}  // namespace ui
