// The chat pane: a read-only history of lines and a one-line input. The controller keeps track of
// the history's size and tells the view which lines come and go.
#pragma once

#include <string>

namespace ui {

class ChatView {
public:
    virtual ~ChatView() = default;

    // Adds a line below the others and shows it.
    virtual void AppendHistoryLine(const std::string& line) = 0;
    // Drops the oldest line.
    virtual void RemoveFirstHistoryLine() = 0;

    // The text typed into the input line.
    virtual std::string InputText() const = 0;
    virtual void ClearInput() = 0;
    virtual void FocusInput() = 0;
};

}  // namespace ui
