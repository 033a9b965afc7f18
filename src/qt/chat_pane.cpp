#include "qt/chat_pane.h"

#include <QKeyEvent>
#include <QTextBlock>
#include <QTextCursor>

#include "qt/qt_text.h"

namespace qtui {

namespace {

// What one chat message may hold.
constexpr int kMaxInputLength = 1023;

QRect ToQt(const ui::Rect& rect) {
    return {rect.x, rect.y, rect.width, rect.height};
}

}  // namespace

ChatPane::ChatPane(QWidget* parent)
    : QGroupBox(Tr(ui::StringId::ChatGroup), parent),
      history_(this),
      input_(this),
      send_(Tr(ui::StringId::SendButton), this) {
    history_.setReadOnly(true);
    // Reading the history is a matter of the mouse: Tab passes it by.
    history_.setFocusPolicy(Qt::ClickFocus);
    history_.setLineWrapMode(QPlainTextEdit::WidgetWidth);
    input_.setMaxLength(kMaxInputLength);
    send_.setAutoDefault(true);
    connect(&send_, &QPushButton::clicked, this, &ChatPane::sendRequested);
    connect(&input_, &QLineEdit::returnPressed, this, &ChatPane::sendRequested);
    send_.installEventFilter(this);
}

bool ChatPane::eventFilter(QObject* watched, QEvent* event) {
    // Enter on the focused Send button sends, as Space does.
    if (watched == &send_ && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            emit sendRequested();
            return true;
        }
    }
    return QGroupBox::eventFilter(watched, event);
}

void ChatPane::AppendHistoryLine(const std::string& line) {
    history_.appendPlainText(qtui::ToQt(line));
    history_.ensureCursorVisible();
}

void ChatPane::RemoveFirstHistoryLine() {
    QTextCursor cursor(history_.document()->firstBlock());
    cursor.select(QTextCursor::BlockUnderCursor);
    cursor.movePosition(QTextCursor::NextBlock, QTextCursor::KeepAnchor);
    cursor.removeSelectedText();
}

std::string ChatPane::InputText() const {
    return FromQt(input_.text());
}

void ChatPane::ClearInput() {
    input_.clear();
}

void ChatPane::FocusInput() {
    input_.setFocus(Qt::OtherFocusReason);
}

void ChatPane::Arrange(const ui::MainLayout& layout) {
    // The group box is the pane itself, so its frame takes the whole pane.
    history_.setGeometry(ToQt(layout.chatHistory));
    input_.setGeometry(ToQt(layout.chatInput));
    send_.setGeometry(ToQt(layout.sendButton));
}

}  // namespace qtui
