#include "cli/stdin_lines.h"

namespace cli {

std::vector<std::string> LineReader::Feed(const char* data, std::size_t size) {
    std::vector<std::string> lines;
    for (std::size_t i = 0; i < size; ++i) {
        const char c = data[i];
        if (c == '\n') {
            if (!partial_.empty() && partial_.back() == '\r') partial_.pop_back();
            lines.push_back(std::move(partial_));
            partial_.clear();
            continue;
        }
        // One spare byte keeps the "\r" of a "\r\n" that follows a full line.
        if (partial_.size() < maxLine_ || (partial_.size() == maxLine_ && c == '\r')) {
            partial_.push_back(c);
        }
    }
    return lines;
}

std::vector<std::string> LineReader::Finish() {
    std::vector<std::string> lines;
    if (!partial_.empty() && partial_.back() == '\r') partial_.pop_back();
    if (!partial_.empty()) lines.push_back(std::move(partial_));
    partial_.clear();
    return lines;
}

}  // namespace cli
