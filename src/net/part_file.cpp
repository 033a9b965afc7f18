#include "net/part_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <random>
#include <string>

#include "util/error_text.h"
#include "util/trace.h"

namespace net::detail {
namespace {

constexpr char kPartMarker[] = ".wendaro-part-";
constexpr std::size_t kSuffixLength = 6;
constexpr std::size_t kMaxNameLength = 255;
// A name taken by someone else is tried again with other letters, a bounded number of times.
constexpr int kNameAttempts = 100;
// How far the claimed space may run ahead of the data that arrived.
constexpr std::uint64_t kReserveStep = 16 * 1024 * 1024;

// A finished download should look like any file the user created, which means 0666 less the umask.
// Reading the umask through umask() would change it for every thread.
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

// The random letters of a part name. Drawn in the process rather than asked of the kernel for every
// file (as mkstemp does): a folder of small files creates thousands of them a second.
void FillSuffix(char* out) {
    static constexpr char kLetters[] =
        "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    thread_local std::mt19937_64 generator{std::random_device{}()};
    std::uint64_t bits = generator();
    for (std::size_t i = 0; i < kSuffixLength; ++i) {
        out[i] = kLetters[bits % (sizeof kLetters - 1)];
        bits /= sizeof kLetters - 1;
    }
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
    const std::size_t room = kMaxNameLength - 1 - (sizeof kPartMarker - 1) - kSuffixLength;
    if (name.size() > room) name.resize(room);
    std::string pattern = folder + "." + name + kPartMarker + std::string(kSuffixLength, 'X');
    char* const suffix = pattern.data() + pattern.size() - kSuffixLength;
    // Created with the mode a finished file gets (the umask applies), so that storing it needs no
    // further call; the hidden name keeps it out of sight until then.
    for (int attempt = 0; attempt < kNameAttempts && fd_ < 0; ++attempt) {
        FillSuffix(suffix);
        fd_ = ::open(pattern.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd_ < 0 && errno != EEXIST) break;
    }
    if (fd_ < 0) {
        const int error = errno;
        XUTIL_DIAG("cannot create a file beside %s: %s\n", target.c_str(),
                   util::ErrorText(error).c_str());
        return util::LocalFileError(error);
    }
    target_ = target;
    temporary_ = std::move(pattern);
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
