#include "core/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <random>

#include "util/folder_of.h"

namespace utilcpp {

namespace {

constexpr int kMaxTemporaryNameAttempts = 100;

// Keeps errno across cleanup calls that may overwrite it.
class ErrnoKeeper {
public:
    ErrnoKeeper() : saved_(errno) {}
    ~ErrnoKeeper() { errno = saved_; }
    ErrnoKeeper(const ErrnoKeeper&) = delete;
    ErrnoKeeper& operator=(const ErrnoKeeper&) = delete;

private:
    int saved_;
};

bool WriteAll(int fd, std::string_view data) {
    while (!data.empty()) {
        const ssize_t written = ::write(fd, data.data(), data.size());
        if (written < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        data.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

std::string TemporaryName(const std::string& path) {
    static std::atomic<unsigned> counter{0};
    thread_local std::minstd_rand random(std::random_device{}());
    return path + ".tmp." + std::to_string(::getpid()) + "." + std::to_string(counter++) + "." +
           std::to_string(random());
}

// Opens a new file beside `path` that nobody else uses. The creation mode lets the umask decide
// the permissions of a file that did not exist before.
int CreateTemporary(const std::string& path, std::string& name) {
    for (int attempt = 0; attempt < kMaxTemporaryNameAttempts; ++attempt) {
        name = TemporaryName(path);
        const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST) return fd;
    }
    return -1;
}

// Makes the rename itself durable.
void SyncFolder(const std::string& path) {
    const int fd = ::open(FolderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

}  // namespace

bool ReadWholeFile(const std::string& path, std::string& contents) {
    contents.clear();
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    char buffer[16384];
    for (;;) {
        const ssize_t count = ::read(fd, buffer, sizeof buffer);
        if (count < 0) {
            if (errno == EINTR) continue;
            ErrnoKeeper keep;
            ::close(fd);
            return false;
        }
        if (count == 0) break;
        contents.append(buffer, static_cast<std::size_t>(count));
    }
    ::close(fd);
    return true;
}

bool CreateParentFolders(const std::string& path) {
    const std::string folder = FolderOf(path);
    struct stat info {};
    if (::stat(folder.c_str(), &info) == 0) {
        if (S_ISDIR(info.st_mode)) return true;
        errno = ENOTDIR;
        return false;
    }
    if (errno != ENOENT) return false;
    if (folder != path && !CreateParentFolders(folder)) return false;
    return ::mkdir(folder.c_str(), 0700) == 0 || errno == EEXIST;
}

std::string ResolveWriteTarget(const std::string& path) {
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return path;
    char resolved[PATH_MAX];
    if (::realpath(path.c_str(), resolved) == nullptr) return path;
    return resolved;
}

bool ReplaceFileAtomically(const std::string& path, std::string_view contents) {
    std::string temporary;
    const int fd = CreateTemporary(path, temporary);
    if (fd < 0) return false;
    struct stat existing {};
    bool ok = true;
    if (::stat(path.c_str(), &existing) == 0) ok = ::fchmod(fd, existing.st_mode & 07777) == 0;
    ok = ok && WriteAll(fd, contents) && ::fsync(fd) == 0;
    if (!ok) {
        ErrnoKeeper keep;
        ::close(fd);
        ::unlink(temporary.c_str());
        return false;
    }
    if (::close(fd) != 0 || ::rename(temporary.c_str(), path.c_str()) != 0) {
        ErrnoKeeper keep;
        ::unlink(temporary.c_str());
        return false;
    }
    SyncFolder(path);
    return true;
}

}  // namespace utilcpp
