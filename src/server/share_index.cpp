#include "server/share_index.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace server {

namespace {

char Lower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

std::string LowerCopy(std::string_view text) {
    std::string lower(text);
    std::transform(lower.begin(), lower.end(), lower.begin(), Lower);
    return lower;
}

}  // namespace

bool MatchesPattern(std::string_view pattern, std::string_view name) {
    // Iterative matching with one backtrack point: linear in practice, never exponential.
    std::size_t p = 0;
    std::size_t n = 0;
    std::size_t star = std::string_view::npos;
    std::size_t resume = 0;
    while (n < name.size()) {
        if (p < pattern.size() && (pattern[p] == '?' || pattern[p] == name[n])) {
            ++p;
            ++n;
        } else if (p < pattern.size() && pattern[p] == '*') {
            star = p++;
            resume = n;
        } else if (star != std::string_view::npos) {
            p = star + 1;
            n = ++resume;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*') ++p;
    return p == pattern.size();
}

void ShareIndex::Reserve(std::size_t entries, std::size_t nameBytes) {
    entries_.reserve(entries);
    names_.reserve(nameBytes);
    lowerNames_.reserve(nameBytes);
}

std::uint32_t ShareIndex::Add(std::uint32_t parent, std::string_view name, std::int64_t size,
                              bool folder) {
    if (entries_.size() >= maxEntries || name.empty() ||
        name.find_first_of(std::string_view("\\\0", 2)) != std::string_view::npos ||
        (parent != kNoParent && parent >= entries_.size()) ||
        names_.size() + name.size() + 1 > 0xFFFFFFFFu) {
        return kNoParent;
    }
    const auto offset = static_cast<std::uint32_t>(names_.size());
    names_.append(name);
    names_.push_back('\0');
    lowerNames_.append(LowerCopy(name));
    lowerNames_.push_back('\0');
    entries_.push_back({parent, offset, folder ? -1 : std::max<std::int64_t>(size, 0)});
    return static_cast<std::uint32_t>(entries_.size() - 1);
}

std::size_t ShareIndex::AddShare(const std::string& shareName, const std::string& folder) {
    const std::size_t before = entries_.size();
    const std::uint32_t root = Add(kNoParent, shareName, 0, true);
    if (root == kNoParent) return 0;
    namespace fs = std::filesystem;
    std::vector<std::pair<fs::path, std::uint32_t>> pending{{fs::path(folder), root}};
    std::error_code error;
    while (!pending.empty()) {
        const auto [path, parent] = pending.back();
        pending.pop_back();
        for (fs::directory_iterator it(path, fs::directory_options::skip_permission_denied, error);
             !error && it != fs::directory_iterator(); it.increment(error)) {
            const fs::directory_entry& entry = *it;
            std::error_code statError;
            const bool isFolder = entry.is_directory(statError) && !entry.is_symlink(statError);
            const std::int64_t size =
                isFolder ? 0 : static_cast<std::int64_t>(entry.file_size(statError));
            const std::uint32_t added =
                Add(parent, entry.path().filename().string(), statError ? 0 : size, isFolder);
            if (added == kNoParent) continue;
            if (isFolder) pending.emplace_back(entry.path(), added);
        }
        error.clear();
    }
    return entries_.size() - before;
}

std::string_view ShareIndex::Name(std::uint32_t index) const {
    return std::string_view(names_.data() + entries_[index].nameOffset);
}

std::string_view ShareIndex::LowerName(std::uint32_t index) const {
    return std::string_view(lowerNames_.data() + entries_[index].nameOffset);
}

std::string ShareIndex::PathOf(std::uint32_t index) const {
    std::vector<std::string_view> parts;
    for (std::uint32_t at = index; at != kNoParent; at = entries_[at].parent) {
        parts.push_back(Name(at));
    }
    std::string path;
    for (auto part = parts.rbegin(); part != parts.rend(); ++part) {
        path += '\\';
        path += *part;
    }
    return path;
}

SearchResult ShareIndex::Search(std::string_view pattern, std::size_t cap) const {
    SearchResult result;
    const std::string lower = LowerCopy(pattern);
    if (lower.empty()) return result;
    const bool wildcard = lower.find_first_of("*?") != std::string::npos;
    for (std::uint32_t i = 0; i < entries_.size(); ++i) {
        const std::string_view name = LowerName(i);
        const bool match =
            wildcard ? MatchesPattern(lower, name) : name.find(lower) != std::string_view::npos;
        if (!match) continue;
        if (result.hits.size() >= cap) {
            ++result.leftOut;
            continue;
        }
        result.hits.push_back(
            {PathOf(i), std::max<std::int64_t>(entries_[i].size, 0), entries_[i].size < 0});
    }
    return result;
}

double ShareIndex::BytesPerEntry() const {
    if (entries_.empty()) return 0;
    const std::size_t bytes =
        entries_.capacity() * sizeof(Entry) + names_.capacity() + lowerNames_.capacity();
    return static_cast<double>(bytes) / static_cast<double>(entries_.size());
}

}  // namespace server
