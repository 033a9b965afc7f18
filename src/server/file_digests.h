// SHA-256 digests of shared files, kept per version of a file so that a file is hashed once per
// version however often it is downloaded. A version is the path with the size, modification time
// and inode it had: a file rewritten in place changes its time, one replaced by rename its inode.
#pragma once

#include <cstddef>
#include <cstdint>
#include <list>
#include <mutex>
#include <optional>
#include <string>
#include <unordered_map>

namespace server {

struct FileVersion {
    std::string path;
    std::uint64_t size = 0;
    std::int64_t modifiedNs = 0;
    std::uint64_t device = 0;
    std::uint64_t inode = 0;

    bool operator==(const FileVersion&) const = default;
};

// Bounded: beyond `capacity` versions the one used least recently goes. Thread-safe.
class FileDigests {
public:
    explicit FileDigests(std::size_t capacity = 4096) : capacity_(capacity) {}

    std::optional<std::string> Find(const FileVersion& version);
    void Store(const FileVersion& version, std::string digest);
    std::size_t Size() const;

private:
    struct Hash {
        std::size_t operator()(const FileVersion& version) const;
    };
    using Order = std::list<FileVersion>;
    struct Entry {
        std::string digest;
        Order::iterator place;
    };

    const std::size_t capacity_;
    mutable std::mutex lock_;
    Order order_;  // most recently used first
    std::unordered_map<FileVersion, Entry, Hash> entries_;
};

// The share server's digests: a fact about the files, not about one server.
FileDigests& SharedFileDigests();

}  // namespace server
