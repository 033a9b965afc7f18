#include "qt/client_area.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <algorithm>

#include "qt/chat_pane.h"

namespace qtui {

namespace {

QRect ToRect(const ui::Rect& rect) {
    return {rect.x, rect.y, rect.width, rect.height};
}

ui::Point ToPoint(const QPointF& point) {
    return {static_cast<int>(point.x()), static_cast<int>(point.y())};
}

// The toolbar fills the strip above the panes.
constexpr int kToolbarHeight = ui::kPaneTop - 2;

}  // namespace

ClientArea::ClientArea(QWidget* parent) : QWidget(parent) {
    // Cursor shapes follow the mouse over the splitter bands without a button pressed.
    setMouseTracking(true);
    setFocusPolicy(Qt::NoFocus);
}

void ClientArea::SetPanels(ui::PanelSizes panels, std::optional<ui::Size> client) {
    panels_ = panels;
    // The smallest size the user may shrink the window to; never a reason to grow it, as stored
    // panels may be up to a few pixels larger than that rule allows.
    const ui::Size minimum = ui::MinimumTrackingSize(panels_);
    const ui::Size now = client.value_or(ClientSize());
    setMinimumSize(std::min(minimum.width, now.width), std::min(minimum.height, now.height));
    Arrange();
}

void ClientArea::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    Arrange();
}

void ClientArea::Arrange() {
    const ui::MainLayout layout = ui::ComputeMainLayout(ClientSize(), panels_);
    if (panes_.toolbar) panes_.toolbar->setGeometry(0, 0, width(), kToolbarHeight);
    if (panes_.tree) panes_.tree->setGeometry(ToRect(layout.tree));
    if (panes_.fileList) panes_.fileList->setGeometry(ToRect(layout.fileList));
    if (panes_.searchResults) panes_.searchResults->setGeometry(ToRect(layout.fileList));
    if (panes_.chat) {
        panes_.chat->setGeometry(ToRect(layout.chatPane));
        panes_.chat->Arrange(layout);
    }
    if (panes_.transferGroup) panes_.transferGroup->setGeometry(ToRect(layout.transferGroup));
    if (panes_.transferList) panes_.transferList->setGeometry(ToRect(layout.transferList));
}

void ClientArea::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    ui::SplitterDrag drag(ToPoint(event->position()), ClientSize(), panels_);
    if (drag.Active()) drag_ = drag;
    // Escape reaches the area only while it has the focus.
    if (drag_) setFocus(Qt::MouseFocusReason);
}

void ClientArea::mouseMoveEvent(QMouseEvent* event) {
    const ui::Point mouse = ToPoint(event->position());
    if (drag_) {
        // Qt shows window contents while dragging: the panes follow the mouse at once.
        const ui::PanelSizes moved = drag_->MoveTo(mouse);
        panels_ = moved;
        Arrange();
        return;
    }
    switch (ui::HitTestSplitters(mouse, ClientSize(), panels_)) {
        case ui::SplitterBar::Vertical:
            setCursor(Qt::SizeHorCursor);
            break;
        case ui::SplitterBar::Horizontal:
            setCursor(Qt::SizeVerCursor);
            break;
        case ui::SplitterBar::None:
            unsetCursor();
            break;
    }
}

void ClientArea::mouseReleaseEvent(QMouseEvent* event) {
    if (!drag_ || event->button() != Qt::LeftButton) return;
    const ui::PanelSizes finished = drag_->Finish(ToPoint(event->position()));
    drag_.reset();
    SetPanels(finished);
}

void ClientArea::keyPressEvent(QKeyEvent* event) {
    if (drag_ && event->key() == Qt::Key_Escape) {
        const ui::PanelSizes start = drag_->Cancel();
        drag_.reset();
        SetPanels(start);
        return;
    }
    QWidget::keyPressEvent(event);
}

}  // namespace qtui
