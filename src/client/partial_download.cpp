#include "client/partial_download.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <charconv>
#include <fstream>
#include <mutex>
#include <set>
#include <sstream>

namespace client {
namespace {

namespace fs = std::filesystem;

constexpr std::string_view kDataMarker = ".wendaro-partial";
constexpr std::string_view kRecordMarker = ".wendaro-partial-from";
// What a plain download's temporary file is called; a killed program leaves it behind.
constexpr std::string_view kTemporaryMarker = ".wendaro-part-";
constexpr std::size_t kTemporarySuffixLength = 6;
constexpr std::size_t kMaxNameLength = 255;
constexpr std::string_view kRecordHeading = "wendaro-partial 1";
// Folders swept in this run; beyond this many, a folder may be swept again, which costs a read of
// the folder and nothing else.
constexpr std::size_t kMaxSweptFolders = 4096;

template <typename Number>
bool ParseNumber(const std::string& text, Number& out) {
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), out);
    return error == std::errc() && end == text.data() + text.size() && !text.empty();
}

bool EndsWith(std::string_view text, std::string_view end) {
    return text.size() > end.size() && text.substr(text.size() - end.size()) == end;
}

bool IsLeftover(std::string_view name) {
    if (name.empty() || name.front() != '.') return false;
    if (EndsWith(name, kDataMarker) || EndsWith(name, kRecordMarker)) return true;
    const auto marker = name.rfind(kTemporaryMarker);
    return marker != std::string_view::npos &&
           name.size() - marker - kTemporaryMarker.size() == kTemporarySuffixLength;
}

}  // namespace

PartialPaths PartialPathsFor(const std::string& localPath) {
    const std::size_t slash = localPath.rfind('/');
    const std::string folder =
        slash == std::string::npos ? std::string() : localPath.substr(0, slash + 1);
    std::string name = slash == std::string::npos ? localPath : localPath.substr(slash + 1);
    // Both names must stay within the file system's limit; a shortened name may be shared by two
    // targets, which their records tell apart.
    const std::size_t room = kMaxNameLength - 1 - kRecordMarker.size();
    if (name.size() > room) name.resize(room);
    const std::string base = folder + "." + name;
    return {base + std::string(kDataMarker), base + std::string(kRecordMarker)};
}

std::optional<PartialRecord> ReadPartialRecord(const std::string& recordPath) {
    std::ifstream in(recordPath);
    std::string heading;
    std::string address;
    std::string size;
    std::string modified;
    PartialRecord record;
    if (!std::getline(in, heading) || heading != kRecordHeading || !std::getline(in, address) ||
        !std::getline(in, record.remotePath) || !std::getline(in, record.localPath) ||
        !std::getline(in, size) || !std::getline(in, modified) ||
        !ParseNumber(address, record.address) || !ParseNumber(size, record.size) ||
        !ParseNumber(modified, record.modifiedNs)) {
        return std::nullopt;
    }
    return record;
}

bool WritePartialRecord(const std::string& recordPath, const PartialRecord& record) {
    if (record.remotePath.find('\n') != std::string::npos ||
        record.localPath.find('\n') != std::string::npos) {
        return false;
    }
    std::ostringstream text;
    text << kRecordHeading << '\n'
         << record.address << '\n'
         << record.remotePath << '\n'
         << record.localPath << '\n'
         << record.size << '\n'
         << record.modifiedNs << '\n';
    const std::string content = text.str();
    const std::string temporary = recordPath + ".new";
    const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0) return false;
    const bool written =
        ::write(fd, content.data(), content.size()) == static_cast<ssize_t>(content.size());
    const bool closed = ::close(fd) == 0;
    if (!written || !closed || ::rename(temporary.c_str(), recordPath.c_str()) != 0) {
        ::unlink(temporary.c_str());
        return false;
    }
    return true;
}

void DiscardPartial(const std::string& localPath) {
    const PartialPaths paths = PartialPathsFor(localPath);
    ::unlink(paths.data.c_str());
    ::unlink(paths.record.c_str());
}

std::size_t SweepStalePartials(const fs::path& folder, std::chrono::seconds maxAge) {
    std::error_code error;
    fs::directory_iterator entries(folder, error);
    if (error) return 0;
    const auto now = std::chrono::system_clock::now();
    std::size_t removed = 0;
    for (const fs::directory_entry& entry : entries) {
        const std::string name = entry.path().filename().string();
        if (!IsLeftover(name)) continue;
        struct stat info {};
        if (::lstat(entry.path().c_str(), &info) != 0 || !S_ISREG(info.st_mode)) continue;
        const auto written = std::chrono::system_clock::from_time_t(info.st_mtim.tv_sec);
        if (now - written < maxAge) continue;
        if (::unlink(entry.path().c_str()) == 0) ++removed;
    }
    return removed;
}

void SweepStalePartialsOnce(const fs::path& folder) {
    static std::mutex lock;
    static std::set<fs::path> swept;
    {
        std::lock_guard guard(lock);
        if (swept.size() >= kMaxSweptFolders) swept.clear();
        if (!swept.insert(folder).second) return;
    }
    SweepStalePartials(folder);
}

}  // namespace client
