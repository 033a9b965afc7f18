#include "ui/controller/chat_history.h"

namespace ui {

namespace {
constexpr std::size_t kLineBreakLength = 2;
}

void ChatHistory::Append(const std::string& line) {
    while (length_ > kMaxLength && !lineLengths_.empty()) {
        // The first line goes with the break behind it; the last line has none.
        const std::size_t removed = lineLengths_.front() + kLineBreakLength;
        length_ = length_ > removed ? length_ - removed : 0;
        lineLengths_.pop_front();
        view_.RemoveFirstHistoryLine();
    }
    if (!lineLengths_.empty()) length_ += kLineBreakLength;
    length_ += line.size();
    lineLengths_.push_back(line.size());
    view_.AppendHistoryLine(line);
}

}  // namespace ui
