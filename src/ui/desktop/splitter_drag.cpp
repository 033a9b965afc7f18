#include "ui/desktop/splitter_drag.h"

#include <algorithm>

namespace ui {

namespace {

bool InVerticalBand(Point mouse, PanelSizes panels) {
    return mouse.x >= panels.leftPanelWidth + 7 && mouse.x <= panels.leftPanelWidth + 12;
}

bool InHorizontalBand(Point mouse, Size client, PanelSizes panels) {
    const int barTop = client.height - panels.bottomPanelHeight - 12;
    return mouse.y >= barTop && mouse.y <= barTop + 5;
}

// When the window is too small for both limits the lower one wins, so a pane never gets
// narrower than its minimum because of a drag.
int ClampLowWins(int value, int low, int high) {
    return std::max(low, std::min(value, high));
}

}  // namespace

SplitterBar HitTestSplitters(Point mouse, Size client, PanelSizes panels) {
    if (InVerticalBand(mouse, panels)) return SplitterBar::Vertical;
    if (InHorizontalBand(mouse, client, panels)) return SplitterBar::Horizontal;
    return SplitterBar::None;
}

SplitterDrag::SplitterDrag(Point press, Size client, PanelSizes start)
    : bar_(HitTestSplitters(press, client, start)),
      client_(client),
      start_(start),
      current_(start) {
    if (bar_ == SplitterBar::Vertical) {
        pressCoordinate_ = press.x;
        grabOffset_ = press.x - (start.leftPanelWidth + 7);
    } else if (bar_ == SplitterBar::Horizontal) {
        pressCoordinate_ = press.y;
        grabOffset_ = press.y - (client.height - start.bottomPanelHeight - 7);
    }
}

// The mouse range that keeps the panel within its limits, given where the bar was grabbed.
int SplitterDrag::ClampCoordinate(int coordinate) const {
    if (bar_ == SplitterBar::Vertical) {
        const int low = kMinLeftPanelWidth + 7 + grabOffset_;
        const int high = client_.width - kRightPanelReserve + 7 + grabOffset_;
        return ClampLowWins(coordinate, low, high);
    }
    // B = H - 7 - (y - offset): the largest B belongs to the smallest y.
    const int low = client_.height - 7 - (client_.height - kTopPanelReserve) + grabOffset_;
    const int high = client_.height - 7 - kMinBottomPanelHeight + grabOffset_;
    return std::min(high, std::max(coordinate, low));
}

PanelSizes SplitterDrag::MoveTo(Point mouse) {
    if (!Active()) return current_;
    if (bar_ == SplitterBar::Vertical) {
        const int delta = ClampCoordinate(mouse.x) - pressCoordinate_;
        current_ = {start_.leftPanelWidth + delta, start_.bottomPanelHeight};
    } else {
        const int delta = ClampCoordinate(mouse.y) - pressCoordinate_;
        current_ = {start_.leftPanelWidth, start_.bottomPanelHeight - delta};
    }
    return current_;
}

Rect SplitterDrag::BarRect() const {
    const MainLayout layout = ComputeMainLayout(client_, current_);
    return bar_ == SplitterBar::Horizontal ? layout.horizontalSplitter : layout.verticalSplitter;
}

PanelSizes SplitterDrag::Finish(Point mouse) {
    MoveTo(mouse);
    return current_;
}

}  // namespace ui
