// Where the main window's child windows go for a given client size and the two panel sizes.
// Pure arithmetic: the front end moves its widgets to these rectangles.
#pragma once

#include "ui/desktop/geometry.h"

namespace ui {

// The two user-adjustable sizes: width of the tree/chat column and height of the lower row.
struct PanelSizes {
    int leftPanelWidth = 0;
    int bottomPanelHeight = 0;
    bool operator==(const PanelSizes&) const = default;
};

// Rectangles of the main window's children. Those marked "in the pane" / "in the group" are
// relative to the chat pane or to the transfer group; all others to the main client area.
struct MainLayout {
    Rect tree;
    Rect fileList;
    Rect horizontalSplitter;
    Rect verticalSplitter;
    Rect chatPane;
    Rect chatGroup;    // in the pane
    Rect chatHistory;  // in the pane
    Rect chatInput;    // in the pane
    Rect sendButton;   // in the pane
    Rect transferGroup;
    Rect transferList;  // in the group
};

// The toolbar takes the top of the client area; the panes begin below it.
inline constexpr int kPaneTop = 36;

MainLayout ComputeMainLayout(Size client, PanelSizes panels);

// Smallest size the user may drag the window to, so the fixed margins never overlap.
Size MinimumTrackingSize(PanelSizes panels);

// Defaults before anything was stored: equal left and right panes, lower row two thirds high.
int DefaultLeftPanelWidth(int clientWidth);
int DefaultBottomPanelHeight(int clientHeight);

// Stored sizes from a larger window (or a hand-edited file) must leave room for the other panes.
PanelSizes ClampStoredPanels(PanelSizes stored, Size client);

}  // namespace ui
