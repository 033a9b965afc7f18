#include "ui/desktop/path_compaction.h"

#include <vector>

namespace ui {

namespace {

// Byte offsets where each character begins.
std::vector<std::size_t> CharacterStarts(const std::string& text) {
    std::vector<std::size_t> starts;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) starts.push_back(i);
    }
    return starts;
}

// The first `count` characters.
std::string Head(const std::string& text, const std::vector<std::size_t>& starts,
                 std::size_t count) {
    return count >= starts.size() ? text : text.substr(0, starts[count]);
}

// The last `count` characters.
std::string Tail(const std::string& text, const std::vector<std::size_t>& starts,
                 std::size_t count) {
    return count >= starts.size() ? text : text.substr(starts[starts.size() - count]);
}

constexpr std::size_t kEllipsisChars = 3;

}  // namespace

std::string CompactPath(const std::string& path, std::size_t maxChars) {
    const std::vector<std::size_t> starts = CharacterStarts(path);
    if (starts.size() <= maxChars) return path;
    if (maxChars <= kEllipsisChars) return std::string(maxChars, '.');

    // A folder path may end in "/": its last component is the folder before it, which is the
    // one the user must recognise.
    const std::size_t end = path.find_last_not_of('/');
    const std::size_t slash =
        end == std::string::npos ? std::string::npos : path.find_last_of('/', end);
    const std::string last = slash == std::string::npos ? path : path.substr(slash);
    const std::vector<std::size_t> lastStarts = CharacterStarts(last);
    // "..." + "/name" must fit; otherwise only the end of the name is left.
    if (lastStarts.size() + kEllipsisChars > maxChars) {
        return "..." + Tail(path, starts, maxChars - kEllipsisChars);
    }
    const std::size_t headChars = maxChars - kEllipsisChars - lastStarts.size();
    return Head(path, starts, headChars) + "..." + last;
}

}  // namespace ui
