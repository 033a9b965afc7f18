#include "core/file_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <mutex>

namespace utilcpp {

namespace {

// flock alone would do between threads too (each open is its own lock holder), but a process-wide
// mutex keeps the threads of this process from spinning on the kernel lock and makes the order
// among them plain to ThreadSanitizer.
std::mutex& ProcessLock() {
    static std::mutex* lock = new std::mutex;
    return *lock;
}

}  // namespace

FileWriteLock::~FileWriteLock() {
    if (fd_ >= 0) ::close(fd_);  // closing the last descriptor releases the flock
    if (holdsProcessLock_) ProcessLock().unlock();
}

bool FileWriteLock::Acquire(const std::string& path) {
    ProcessLock().lock();
    holdsProcessLock_ = true;
    const std::string lockName = path + ".lock";
    fd_ = ::open(lockName.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd_ < 0) return false;
    while (::flock(fd_, LOCK_EX) != 0) {
        if (errno != EINTR) return false;
    }
    return true;
}

}  // namespace utilcpp
