// The chat history's bookkeeping: how long the shown text is, counting two characters for each
// line break, and which old lines must go before a new one fits.
#pragma once

#include <cstddef>
#include <deque>
#include <string>

#include "ui/views/chat_view.h"

namespace ui {

class ChatHistory {
public:
    // Before a line is added, first lines go until the text is at most this long.
    static constexpr std::size_t kMaxLength = 28974;

    explicit ChatHistory(ChatView& view) : view_(view) {}

    void Append(const std::string& line);

    // Characters of the shown text, line breaks counted as two.
    std::size_t Length() const { return length_; }
    std::size_t LineCount() const { return lineLengths_.size(); }

private:
    ChatView& view_;
    std::deque<std::size_t> lineLengths_;
    std::size_t length_ = 0;
};

}  // namespace ui
