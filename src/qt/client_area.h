// The main window's client area: places the toolbar, the four panes and the transfer group at
// the rectangles of the main layout, and lets the user drag the two splitter bands between them
// (Escape puts a bar back where the drag began).
#pragma once

#include <QGroupBox>
#include <QToolBar>
#include <QWidget>
#include <optional>

#include "ui/desktop/splitter_drag.h"
#include "ui/desktop/window_layout.h"

namespace qtui {

class ChatPane;

struct Panes {
    QToolBar* toolbar = nullptr;
    QWidget* tree = nullptr;
    QWidget* fileList = nullptr;
    ChatPane* chat = nullptr;
    QGroupBox* transferGroup = nullptr;
    QWidget* transferList = nullptr;
    // Shown in the file list's place while a search's results are.
    QWidget* searchResults = nullptr;
};

class ClientArea final : public QWidget {
    Q_OBJECT
public:
    explicit ClientArea(QWidget* parent = nullptr);

    void SetPanes(const Panes& panes) { panes_ = panes; }
    ui::PanelSizes Panels() const { return panels_; }
    // Applies stored or dragged sizes and lays the panes out again; `client` is the size the
    // area is about to get, when it is not shown yet.
    void SetPanels(ui::PanelSizes panels, std::optional<ui::Size> client = std::nullopt);
    ui::Size ClientSize() const { return {width(), height()}; }
    bool Dragging() const { return drag_.has_value(); }

protected:
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void Arrange();

    Panes panes_;
    ui::PanelSizes panels_;
    std::optional<ui::SplitterDrag> drag_;
};

}  // namespace qtui
