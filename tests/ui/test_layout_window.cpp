#include <gtest/gtest.h>

#include "ui/window_layout.h"

namespace ui {
namespace {

TEST(MainLayoutTest, PlacesEveryChildForAKnownWindow) {
    const MainLayout layout = ComputeMainLayout({1000, 700}, {400, 250});
    EXPECT_EQ(layout.tree, (Rect{7, 36, 400, 402}));
    EXPECT_EQ(layout.fileList, (Rect{412, 36, 581, 402}));
    EXPECT_EQ(layout.horizontalSplitter, (Rect{7, 438, 986, 5}));
    EXPECT_EQ(layout.verticalSplitter, (Rect{407, 43, 5, 650}));
    EXPECT_EQ(layout.chatPane, (Rect{7, 443, 400, 250}));
    EXPECT_EQ(layout.chatGroup, (Rect{0, 0, 400, 250}));
    EXPECT_EQ(layout.chatHistory, (Rect{7, 14, 386, 200}));
    EXPECT_EQ(layout.chatInput, (Rect{7, 222, 306, 22}));
    EXPECT_EQ(layout.sendButton, (Rect{318, 221, 75, 24}));
    EXPECT_EQ(layout.transferGroup, (Rect{412, 443, 581, 250}));
    EXPECT_EQ(layout.transferList, (Rect{7, 14, 567, 229}));
}

// The panes must meet the splitter bars exactly and keep a 7-pixel margin to the window edge,
// whatever the sizes; a wrong sign anywhere shows up as a gap or an overlap.
TEST(MainLayoutTest, PanesAdjoinTheSplittersForManySizes) {
    const Size clients[] = {{850, 600}, {1280, 1000}, {400, 350}};
    for (const Size client : clients) {
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
                // Inside the group the list keeps a 7-pixel margin left and right.
                EXPECT_EQ(l.transferList.Right(), l.transferGroup.width - 7);
                // The Send button sits right of the input, 7 pixels from the pane's edge.
                EXPECT_EQ(l.sendButton.Right(), l.chatPane.width - 7);
                EXPECT_LT(l.chatInput.Right(), l.sendButton.x);
            }
        }
    }
}

TEST(MainLayoutTest, MinimumTrackingSizeFollowsThePanels) {
    EXPECT_EQ(MinimumTrackingSize({400, 250}), (Size{519, 419}));
    EXPECT_EQ(MinimumTrackingSize({150, 98}), (Size{269, 267}));
}

TEST(MainLayoutTest, DefaultsSplitTheWidthAndTakeTwoThirdsOfTheHeight) {
    EXPECT_EQ(DefaultLeftPanelWidth(834), 407);
    EXPECT_EQ(DefaultLeftPanelWidth(835), 408);
    EXPECT_EQ(DefaultBottomPanelHeight(540), 360);
    EXPECT_EQ(DefaultBottomPanelHeight(541), 360);
    // Equal panes: the file list gets the same width as the tree.
    const int width = 835;
    const MainLayout layout = ComputeMainLayout(
        {width, 540}, {DefaultLeftPanelWidth(width), DefaultBottomPanelHeight(540)});
    EXPECT_EQ(layout.tree.width, layout.fileList.width);
}

TEST(MainLayoutTest, StoredPanelsAreClampedToTheWindow) {
    EXPECT_EQ(ClampStoredPanels({5000, 5000}, {1000, 600}), (PanelSizes{850, 450}));
    EXPECT_EQ(ClampStoredPanels({300, 200}, {1000, 600}), (PanelSizes{300, 200}));
    EXPECT_EQ(ClampStoredPanels({850, 450}, {1000, 600}), (PanelSizes{850, 450}));
    EXPECT_EQ(ClampStoredPanels({851, 451}, {1000, 600}), (PanelSizes{850, 450}));
}

}  // namespace
}  // namespace ui
