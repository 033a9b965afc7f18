#include "server/share_index.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <utility>

#include "server/share_paths.h"

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

std::uint32_t ClampSeconds(std::int64_t seconds) {
    return static_cast<std::uint32_t>(std::clamp<std::int64_t>(seconds, 0, 0xFFFFFFFFll));
}

// Closes a directory stream on every way out of a folder's walk.
struct DirCloser {
    void operator()(DIR* dir) const { closedir(dir); }
};

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

void ShareIndex::ShrinkToFit() {
    entries_.shrink_to_fit();
    names_.shrink_to_fit();
    lowerNames_.shrink_to_fit();
}

std::uint32_t ShareIndex::Add(std::uint32_t parent, std::string_view name, std::int64_t size,
                              bool folder, std::int64_t modified) {
    if (entries_.size() >= maxEntries || entries_.size() >= kNoParent || name.empty() ||
        name.find_first_of(std::string_view("\\\0", 2)) != std::string_view::npos ||
        (parent != kNoParent && parent >= entries_.size()) ||
        names_.size() + name.size() + 1 > 0xFFFFFFFFu) {
        return kNoParent;
    }
    const auto offset = static_cast<std::uint32_t>(names_.size());
    names_.append(name);
    names_.push_back('\0');
    const std::size_t lowerStart = lowerNames_.size();
    lowerNames_.append(name);
    std::transform(lowerNames_.begin() + static_cast<std::ptrdiff_t>(lowerStart), lowerNames_.end(),
                   lowerNames_.begin() + static_cast<std::ptrdiff_t>(lowerStart), Lower);
    lowerNames_.push_back('\0');
    const auto bytes = folder ? 0 : static_cast<std::uint64_t>(std::max<std::int64_t>(size, 0));
    const auto high = static_cast<std::uint32_t>(std::min<std::uint64_t>(bytes >> 32, 0x7FFFFFFF));
    entries_.push_back({parent, offset, ClampSeconds(modified),
                        static_cast<std::uint32_t>(bytes & 0xFFFFFFFFu),
                        high | (folder ? kFolderBit : 0u)});
    return static_cast<std::uint32_t>(entries_.size() - 1);
}

std::size_t ShareIndex::AddShare(const std::string& shareName, const std::string& folder,
                                 const std::function<bool(const std::string&)>& onFolder) {
    const std::size_t before = entries_.size();
    struct stat shareStat {};
    if (stat(folder.c_str(), &shareStat) != 0 || !S_ISDIR(shareStat.st_mode)) return 0;
    std::string realRoot;
    if (!RealLocation(folder, realRoot)) return 0;
    const std::uint32_t root = Add(kNoParent, shareName, 0, true, shareStat.st_mtime);
    if (root == kNoParent) return 0;
    std::vector<std::pair<std::string, std::uint32_t>> pending{{folder, root}};
    while (!pending.empty()) {
        const auto [path, parent] = std::move(pending.back());
        pending.pop_back();
        if (onFolder && !onFolder(path)) break;
        const std::unique_ptr<DIR, DirCloser> dir(opendir(path.c_str()));
        if (!dir) continue;
        const int dirFd = dirfd(dir.get());
        while (const dirent* item = readdir(dir.get())) {
            const std::string_view name = item->d_name;
            if (name == "." || name == "..") continue;
            struct stat info {};
            if (fstatat(dirFd, item->d_name, &info, AT_SYMLINK_NOFOLLOW) != 0) continue;
            // A link counts as the regular file it leads to within the share, as in a listing;
            // links elsewhere are left out.
            if (S_ISLNK(info.st_mode)) {
                std::string target;
                if (fstatat(dirFd, item->d_name, &info, 0) != 0 || !S_ISREG(info.st_mode) ||
                    !RealLocation(path + '/' + std::string(name), target) ||
                    !IsWithin(target, realRoot)) {
                    continue;
                }
            }
            const bool isFolder = S_ISDIR(info.st_mode);
            if (!isFolder && !S_ISREG(info.st_mode)) continue;
            const std::uint32_t added = Add(parent, name, info.st_size, isFolder, info.st_mtime);
            if (added != kNoParent && isFolder) {
                pending.emplace_back(path + '/' + std::string(name), added);
            }
        }
    }
    return entries_.size() - before;
}

std::string_view ShareIndex::Name(std::uint32_t index) const {
    return std::string_view(names_.data() + entries_[index].nameOffset);
}

std::string_view ShareIndex::LowerName(std::uint32_t index) const {
    const std::size_t start = entries_[index].nameOffset;
    const std::size_t end =
        index + 1 < entries_.size() ? entries_[index + 1].nameOffset : lowerNames_.size();
    return std::string_view(lowerNames_.data() + start, end - start - 1);
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

SearchHit ShareIndex::HitOf(std::uint32_t index) const {
    const Entry& entry = entries_[index];
    const bool folder = (entry.sizeHighAndFolder & kFolderBit) != 0;
    const auto size =
        (static_cast<std::uint64_t>(entry.sizeHighAndFolder & ~kFolderBit) << 32) | entry.sizeLow;
    return {PathOf(index), static_cast<std::int64_t>(size), folder, entry.modified};
}

std::uint32_t ShareIndex::EntryAt(std::size_t offset, std::uint32_t from) const {
    // Names are stored in entry order, so the offsets of the entries only grow. The next match
    // is usually a few entries on: look there first, then halve the rest.
    const std::uint32_t count = static_cast<std::uint32_t>(entries_.size());
    for (std::uint32_t i = from, steps = 0; i < count && steps < 16; ++i, ++steps) {
        if (i + 1 == count || entries_[i + 1].nameOffset > offset) return i;
    }
    const auto after = std::upper_bound(
        entries_.begin() + from, entries_.end(), offset,
        [](std::size_t value, const Entry& entry) { return value < entry.nameOffset; });
    return static_cast<std::uint32_t>(after - entries_.begin() - 1);
}

template <typename Visit>
void ShareIndex::ForEachContaining(std::string_view literal, Visit&& visit) const {
    const char* const begin = lowerNames_.data();
    const char* const end = begin + lowerNames_.size();
    // One pass over the whole buffer; a name never matches across its zero byte.
    const char* at = begin;
    std::uint32_t from = 0;
    while (at < end) {
        const void* found =
            memmem(at, static_cast<std::size_t>(end - at), literal.data(), literal.size());
        if (found == nullptr) return;
        const std::uint32_t index =
            EntryAt(static_cast<std::size_t>(static_cast<const char*>(found) - begin), from);
        if (!visit(index)) return;
        from = index + 1;
        at = from < entries_.size() ? begin + entries_[from].nameOffset : end;
    }
}

SearchResult ShareIndex::Search(std::string_view pattern, std::size_t cap) const {
    SearchResult result;
    const std::string lower = LowerCopy(pattern);
    if (lower.empty() || lower.find('\0') != std::string::npos) return result;
    auto take = [&](std::uint32_t index) {
        if (result.hits.size() < cap) {
            result.hits.push_back(HitOf(index));
        } else {
            ++result.leftOut;
        }
    };
    if (lower.find_first_of("*?") == std::string::npos) {
        ForEachContaining(lower, [&](std::uint32_t index) {
            take(index);
            return true;
        });
        return result;
    }
    // A pattern is matched name by name, each name first checked cheaply against what the
    // pattern fixes: its literal start and end, and its least length (or its exact length when
    // it has no "*"). A common ending such as "*.mp3" then costs a comparison per name, not a
    // search through it.
    const std::size_t firstWild = lower.find_first_of("*?");
    const std::size_t lastWild = lower.find_last_of("*?");
    const std::string_view head = std::string_view(lower).substr(0, firstWild);
    const std::string_view tail = std::string_view(lower).substr(lastWild + 1);
    const std::string_view middle =
        std::string_view(lower).substr(firstWild, lastWild + 1 - firstWild);
    const bool fixedLength = lower.find('*') == std::string::npos;
    const std::size_t leastLength =
        lower.size() - static_cast<std::size_t>(std::count(lower.begin(), lower.end(), '*'));
    const bool middleIsStar = middle.find_first_not_of('*') == std::string_view::npos;
    for (std::uint32_t i = 0; i < entries_.size(); ++i) {
        const std::string_view name = LowerName(i);
        if (fixedLength ? name.size() != lower.size() : name.size() < leastLength) continue;
        if (!name.starts_with(head) || !name.ends_with(tail)) continue;
        if (middleIsStar ||
            MatchesPattern(middle,
                           name.substr(head.size(), name.size() - head.size() - tail.size()))) {
            take(i);
        }
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
