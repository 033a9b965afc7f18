#include "protocol/extension_words.h"

#include "protocol/folder_stream.h"
#include "protocol/get_request.h"
#include "protocol/search_reply.h"

namespace proto {

namespace {

constexpr std::size_t kMaxWordLength = 64;

}  // namespace

std::vector<std::string> OwnExtensionWords() {
    return {std::string(kExtensionWordsWord), std::string(kGetWord), std::string(kSearchWord),
            std::string(kFolderStreamWord)};
}

std::string EncodeExtensionWords(const std::vector<std::string>& words) {
    std::string text;
    for (const std::string& word : words) text += word + '\n';
    return text;
}

std::vector<std::string> ParseExtensionWords(std::string_view payload, std::size_t maxWords) {
    std::vector<std::string> words;
    while (!payload.empty() && words.size() < maxWords) {
        const auto end = payload.find('\n');
        const std::string_view word = payload.substr(0, end);
        if (!word.empty() && word.size() <= kMaxWordLength) words.emplace_back(word);
        if (end == std::string_view::npos) break;
        payload.remove_prefix(end + 1);
    }
    return words;
}

}  // namespace proto
