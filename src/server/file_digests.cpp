#include "server/file_digests.h"

#include <functional>

namespace server {

std::size_t FileDigests::Hash::operator()(const FileVersion& version) const {
    std::size_t hash = std::hash<std::string>()(version.path);
    for (const std::uint64_t part :
         {version.size, static_cast<std::uint64_t>(version.modifiedNs), version.inode}) {
        hash ^=
            std::hash<std::uint64_t>()(part) + 0x9e3779b97f4a7c15ULL + (hash << 6) + (hash >> 2);
    }
    return hash;
}

std::optional<std::string> FileDigests::Find(const FileVersion& version) {
    std::lock_guard guard(lock_);
    const auto found = entries_.find(version);
    if (found == entries_.end()) return std::nullopt;
    order_.splice(order_.begin(), order_, found->second.place);
    return found->second.digest;
}

void FileDigests::Store(const FileVersion& version, std::string digest) {
    std::lock_guard guard(lock_);
    if (const auto found = entries_.find(version); found != entries_.end()) {
        found->second.digest = std::move(digest);
        order_.splice(order_.begin(), order_, found->second.place);
        return;
    }
    if (capacity_ == 0) return;
    while (entries_.size() >= capacity_) {
        entries_.erase(order_.back());
        order_.pop_back();
    }
    order_.push_front(version);
    entries_.emplace(version, Entry{std::move(digest), order_.begin()});
}

std::size_t FileDigests::Size() const {
    std::lock_guard guard(lock_);
    return entries_.size();
}

FileDigests& SharedFileDigests() {
    static FileDigests digests;
    return digests;
}

}  // namespace server
