// The two splitter bars between the panes: which bar the mouse is over, and the arithmetic of
// dragging one, including the limits that keep every pane usable.
#pragma once

#include "ui/desktop/geometry.h"
#include "ui/desktop/window_layout.h"

namespace ui {

enum class SplitterBar { None, Vertical, Horizontal };

// Which band the client-area point lies in; the vertical band wins where they cross. The front
// end shows the west-east cursor for Vertical, north-south for Horizontal, the arrow for None.
SplitterBar HitTestSplitters(Point mouse, Size client, PanelSizes panels);

// Limits on a dragged bar: the tree keeps at least this width, the file list the rest.
inline constexpr int kMinLeftPanelWidth = 150;
inline constexpr int kRightPanelReserve = 111;
inline constexpr int kMinBottomPanelHeight = 98;
inline constexpr int kTopPanelReserve = 115;

// One drag of one bar, from the button press to its release or Escape. The client size is
// fixed for the drag (the cursor is confined to the client area meanwhile).
class SplitterDrag {
public:
    // A press outside both bands starts no drag (Active() is false).
    SplitterDrag(Point press, Size client, PanelSizes start);

    bool Active() const { return bar_ != SplitterBar::None; }
    SplitterBar Bar() const { return bar_; }

    // Moves the bar with the mouse (clamped to the limits) and returns the panel sizes that
    // the current position stands for: applied at once when the platform shows window contents
    // while dragging, else only drawn as an outline at BarRect().
    PanelSizes MoveTo(Point mouse);
    // Where the bar's outline is drawn for the current position.
    Rect BarRect() const;
    // Button released at this point: the sizes to apply.
    PanelSizes Finish(Point mouse);
    // Escape: the sizes from before the drag.
    PanelSizes Cancel() const { return start_; }
    PanelSizes Current() const { return current_; }

private:
    int ClampCoordinate(int coordinate) const;

    SplitterBar bar_ = SplitterBar::None;
    Size client_;
    PanelSizes start_;
    PanelSizes current_;
    int pressCoordinate_ = 0;  // x for the vertical bar, y for the horizontal one
    int grabOffset_ = 0;       // distance from the bar's start to the press
};

}  // namespace ui
