#include "net/part_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <vector>

#include "util/error_text.h"
#include "util/trace.h"

namespace net::detail {
namespace {

constexpr char kPartMarker[] = ".wendaro-part-XXXXXX";
constexpr std::size_t kMaxNameLength = 255;
// How far the claimed space may run ahead of the data that arrived.
constexpr std::uint64_t kReserveStep = 16 * 1024 * 1024;

// mkstemp creates 0600; a finished download should look like any file the user created, which
// means 0666 less the umask. Reading the umask through umask() would change it for every thread.
mode_t ReadCreationMode() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("Umask:", 0) == 0) {
            const unsigned long mask = std::strtoul(line.c_str() + 6, nullptr, 8);
            return static_cast<mode_t>(0666 & ~mask);
        }
    }
    return 0644;
}

// Read once: a folder of small files would otherwise read /proc once per file.
mode_t CreationMode() {
    static const mode_t mode = ReadCreationMode();
    return mode;
}

}  // namespace

unsigned NewFileMode() {
    return CreationMode();
}

PartFile::~PartFile() {
    Discard();
}

util::Status PartFile::Create(const std::string& target) {
    Discard();
    const std::size_t slash = target.rfind('/');
    const std::string folder =
        slash == std::string::npos ? std::string() : target.substr(0, slash + 1);
    std::string name = slash == std::string::npos ? target : target.substr(slash + 1);
    if (name.empty() || name == "." || name == "..") {
        return util::MakeError(util::ErrorKind::LocalWriteFailed, "not a file name: " + name);
    }
    // Keep the temporary name within the file system's name limit.
    const std::size_t room = kMaxNameLength - 1 - (sizeof kPartMarker - 1);
    if (name.size() > room) name.resize(room);
    std::vector<char> pattern(folder.begin(), folder.end());
    pattern.push_back('.');
    pattern.insert(pattern.end(), name.begin(), name.end());
    pattern.insert(pattern.end(), kPartMarker, kPartMarker + sizeof kPartMarker);  // with NUL
    fd_ = ::mkostemp(pattern.data(), O_CLOEXEC);
    if (fd_ < 0) {
        const int error = errno;
        XUTIL_DIAG("cannot create a file beside %s: %s\n", target.c_str(),
                   util::ErrorText(error).c_str());
        return util::LocalFileError(error);
    }
    target_ = target;
    temporary_ = pattern.data();
    return {};
}

util::Status PartFile::ReserveAhead(std::uint64_t arrived, std::uint64_t length) {
    if (fd_ < 0 || reserved_ >= length || arrived + kReserveStep / 2 < reserved_) return {};
    const std::uint64_t upTo = std::min(length, arrived + kReserveStep);
    const std::uint64_t from = reserved_;
    reserved_ = upTo;
    // fallocate, unlike posix_fallocate, never falls back to writing zeros: file systems without
    // preallocation simply fill up as the data arrive.
    if (::fallocate(fd_, FALLOC_FL_KEEP_SIZE, static_cast<off_t>(from),
                    static_cast<off_t>(upTo - from)) == 0) {
        return {};
    }
    if (errno == EOPNOTSUPP || errno == ENOSYS || errno == EINVAL) {
        reserved_ = length;
        return {};
    }
    return util::LocalFileError(errno);
}

util::Status WriteAll(int fd, const char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t written = ::write(fd, data, size);
        if (written < 0 && errno == EINTR) continue;
        if (written < 0) return util::LocalFileError(errno);
        if (written == 0) return util::LocalFileError(ENOSPC);
        data += written;
        size -= static_cast<std::size_t>(written);
    }
    return {};
}

util::Status PartFile::Write(const char* data, std::size_t size) {
    if (fd_ < 0) return util::LocalFileError(EBADF);
    return WriteAll(fd_, data, size);
}

util::Status PartFile::Commit() {
    if (fd_ < 0) return util::LocalFileError(EBADF);
    ::fchmod(fd_, CreationMode());
    const int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0) {
        const int error = errno;
        ::unlink(temporary_.c_str());
        temporary_.clear();
        return util::LocalFileError(error);
    }
    if (::rename(temporary_.c_str(), target_.c_str()) != 0) {
        const int error = errno;
        XUTIL_DIAG("cannot store %s: %s\n", target_.c_str(), util::ErrorText(error).c_str());
        ::unlink(temporary_.c_str());
        temporary_.clear();
        return util::LocalFileError(error);
    }
    temporary_.clear();
    return {};
}

void PartFile::Discard() {
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
    if (!temporary_.empty()) {
        ::unlink(temporary_.c_str());
        temporary_.clear();
    }
}

}  // namespace net::detail
