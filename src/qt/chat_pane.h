// The chat pane below the tree: the history, the input line and the Send button, in a group box.
#pragma once

#include <QGroupBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

#include "ui/desktop/window_layout.h"
#include "ui/views/chat_view.h"

namespace qtui {

class ChatPane final : public QGroupBox, public ui::ChatView {
    Q_OBJECT
public:
    explicit ChatPane(QWidget* parent = nullptr);

    void AppendHistoryLine(const std::string& line) override;
    void RemoveFirstHistoryLine() override;
    std::string InputText() const override;
    void ClearInput() override;
    void FocusInput() override;

    // Places the pane's controls at the rectangles of the main layout (relative to the pane).
    void Arrange(const ui::MainLayout& layout);

    QPlainTextEdit* History() { return &history_; }
    QLineEdit* Input() { return &input_; }
    QPushButton* SendButton() { return &send_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

signals:
    // The Send button, or Enter in the input line or on the button.
    void sendRequested();

private:
    QPlainTextEdit history_;
    QLineEdit input_;
    QPushButton send_;
};

}  // namespace qtui
