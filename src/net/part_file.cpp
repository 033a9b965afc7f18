#include "net/part_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <vector>

#include "util/trace.h"

namespace net::detail {
namespace {

constexpr char kPartMarker[] = ".wendaro-part-XXXXXX";
constexpr std::size_t kMaxNameLength = 255;

// mkstemp creates 0600; a finished download should look like any file the user created, which
// means 0666 less the umask. Reading the umask through umask() would change it for every thread.
mode_t CreationMode() {
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

}  // namespace

PartFile::~PartFile() {
    Discard();
}

bool PartFile::Create(const std::string& target) {
    Discard();
    const std::size_t slash = target.rfind('/');
    const std::string folder =
        slash == std::string::npos ? std::string() : target.substr(0, slash + 1);
    std::string name = slash == std::string::npos ? target : target.substr(slash + 1);
    if (name.empty() || name == "." || name == "..") return false;
    // Keep the temporary name within the file system's name limit.
    const std::size_t room = kMaxNameLength - 1 - (sizeof kPartMarker - 1);
    if (name.size() > room) name.resize(room);
    std::vector<char> pattern(folder.begin(), folder.end());
    pattern.push_back('.');
    pattern.insert(pattern.end(), name.begin(), name.end());
    pattern.insert(pattern.end(), kPartMarker, kPartMarker + sizeof kPartMarker);  // with NUL
    fd_ = ::mkostemp(pattern.data(), O_CLOEXEC);
    if (fd_ < 0) {
        XUTIL_DIAG("cannot create a file beside %s: %s\n", target.c_str(), std::strerror(errno));
        return false;
    }
    target_ = target;
    temporary_ = pattern.data();
    return true;
}

bool PartFile::Write(const char* data, std::size_t size) {
    if (fd_ < 0) return false;
    while (size > 0) {
        const ssize_t written = ::write(fd_, data, size);
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) return false;
        data += written;
        size -= static_cast<std::size_t>(written);
    }
    return true;
}

bool PartFile::Commit() {
    if (fd_ < 0) return false;
    ::fchmod(fd_, CreationMode());
    const int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0) {
        ::unlink(temporary_.c_str());
        temporary_.clear();
        return false;
    }
    if (::rename(temporary_.c_str(), target_.c_str()) != 0) {
        XUTIL_DIAG("cannot store %s: %s\n", target_.c_str(), std::strerror(errno));
        ::unlink(temporary_.c_str());
        temporary_.clear();
        return false;
    }
    temporary_.clear();
    return true;
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
