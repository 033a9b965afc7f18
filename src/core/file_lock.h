// An exclusive lock for the read-modify-write of one file, across the threads of this process and
// across processes. The lock is taken on a companion file "<file>.lock" because every write
// replaces the file itself with a new one.
#pragma once

#include <string>

namespace utilcpp {

class FileWriteLock {
public:
    FileWriteLock() = default;
    ~FileWriteLock();
    FileWriteLock(const FileWriteLock&) = delete;
    FileWriteLock& operator=(const FileWriteLock&) = delete;

    // Blocks until the lock is held. False (errno set) when the lock file cannot be opened.
    bool Acquire(const std::string& path);

private:
    int fd_ = -1;
    bool holdsProcessLock_ = false;
};

}  // namespace utilcpp
