#include "ui/transfers/unfinished_downloads.h"

#include <sys/stat.h>

#include <algorithm>
#include <charconv>
#include <filesystem>

#include "client/walk_paths.h"
#include "core/atomic_file.h"
#include "net/socket.h"

namespace ui {
namespace {

// The first line; a file that starts otherwise is not ours, or from a version that wrote another
// layout.
constexpr std::string_view kHeader = "wendaro unfinished downloads 1";
constexpr std::size_t kMaxHostName = 255;
constexpr std::size_t kMaxPath = 4096;
constexpr std::size_t kFields = 6;

// Tabs and line breaks separate fields and entries; every control byte and the escape itself is
// written as %XX.
std::string Escape(std::string_view text) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F || c == '%') {
            out += '%';
            out += kHex[byte >> 4];
            out += kHex[byte & 0xF];
        } else {
            out += c;
        }
    }
    return out;
}

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

bool Unescape(std::string_view text, std::size_t maxLength, std::string& out) {
    out.clear();
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (out.size() >= maxLength) return false;
        if (text[i] != '%') {
            out += text[i];
            continue;
        }
        if (i + 2 >= text.size()) return false;
        const int high = HexValue(text[i + 1]);
        const int low = HexValue(text[i + 2]);
        if (high < 0 || low < 0) return false;
        out += static_cast<char>(high * 16 + low);
        i += 2;
    }
    return true;
}

bool HasControlBytes(std::string_view text) {
    return std::any_of(text.begin(), text.end(), [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return byte < 0x20 || byte == 0x7F;
    });
}

// Absolute and without "." or ".." components: the path says plainly where it writes.
bool IsPlainAbsolutePath(const std::string& path) {
    if (path.empty() || path.front() != '/' || path.size() > kMaxPath) return false;
    for (const auto& part : std::filesystem::path(path)) {
        if (part == "." || part == "..") return false;
    }
    return !HasControlBytes(path);
}

std::vector<std::string_view> Split(std::string_view line, char separator) {
    std::vector<std::string_view> parts;
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = line.find(separator, start);
        parts.push_back(line.substr(start, end - start));
        if (end == std::string_view::npos) return parts;
        start = end + 1;
    }
}

bool ParseEntry(std::string_view line, UnfinishedDownload& entry) {
    const std::vector<std::string_view> fields = Split(line, '\t');
    if (fields.size() != kFields) return false;
    if (fields[0] != "file" && fields[0] != "folder") return false;
    entry.folder = fields[0] == "folder";
    if (!net::ParseIpv4(std::string(fields[1]), entry.address)) return false;
    const std::string_view size = fields[2];
    const auto parsed = std::from_chars(size.data(), size.data() + size.size(), entry.listedSize);
    if (parsed.ec != std::errc() || parsed.ptr != size.data() + size.size()) return false;
    return Unescape(fields[3], kMaxHostName, entry.hostName) &&
           Unescape(fields[4], kMaxPath, entry.remotePath) &&
           Unescape(fields[5], kMaxPath, entry.localPath) && IsSafeUnfinishedDownload(entry);
}

}  // namespace

bool IsSafeUnfinishedDownload(const UnfinishedDownload& download) {
    if (download.address == 0 || download.listedSize < 0) return false;
    if (download.hostName.size() > kMaxHostName || HasControlBytes(download.hostName)) {
        return false;
    }
    const std::string& remote = download.remotePath;
    if (remote.size() < 2 || remote.size() > kMaxPath || remote.front() != '\\' ||
        HasControlBytes(remote)) {
        return false;
    }
    if (!IsPlainAbsolutePath(download.localPath)) return false;
    if (download.folder) return true;
    // A file is written under its own name only, never over a folder's path.
    const std::string name = std::filesystem::path(download.localPath).filename().string();
    return client::CheckRemoteName(name) == client::NameProblem::None;
}

std::string FormatUnfinishedDownloads(const std::vector<UnfinishedDownload>& downloads) {
    std::string text(kHeader);
    text += '\n';
    for (const UnfinishedDownload& download : downloads) {
        text += download.folder ? "folder" : "file";
        text += '\t' + net::FormatIpv4(download.address);
        text += '\t' + std::to_string(download.listedSize);
        text += '\t' + Escape(download.hostName);
        text += '\t' + Escape(download.remotePath);
        text += '\t' + Escape(download.localPath);
        text += '\n';
    }
    return text;
}

std::vector<UnfinishedDownload> ParseUnfinishedDownloads(std::string_view text) {
    std::vector<UnfinishedDownload> downloads;
    if (text.size() > kMaxUnfinishedFileBytes) return downloads;
    std::vector<std::string_view> lines = Split(text, '\n');
    if (lines.empty() || lines.front() != kHeader) return downloads;
    for (std::size_t i = 1; i < lines.size(); ++i) {
        if (downloads.size() >= kMaxUnfinishedDownloads) break;
        UnfinishedDownload entry;
        if (!ParseEntry(lines[i], entry)) continue;
        if (std::find(downloads.begin(), downloads.end(), entry) != downloads.end()) continue;
        downloads.push_back(std::move(entry));
    }
    return downloads;
}

std::vector<UnfinishedDownload> LoadUnfinishedDownloads(const std::string& path) {
    // Only a plain file of a sane size is read: a fifo would block the start, a huge file cost
    // memory.
    struct stat info {};
    if (path.empty() || ::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode) ||
        static_cast<std::uint64_t>(info.st_size) > kMaxUnfinishedFileBytes) {
        return {};
    }
    std::string text;
    if (!utilcpp::ReadWholeFile(path, text)) return {};
    return ParseUnfinishedDownloads(text);
}

bool SaveUnfinishedDownloads(const std::string& path,
                             const std::vector<UnfinishedDownload>& downloads) {
    if (path.empty()) return false;
    const std::size_t kept = std::min(downloads.size(), kMaxUnfinishedDownloads);
    const std::vector<UnfinishedDownload> bounded(downloads.begin(),
                                                  downloads.begin() + static_cast<long>(kept));
    return utilcpp::CreateParentFolders(path) &&
           utilcpp::ReplaceFileAtomically(path, FormatUnfinishedDownloads(bounded));
}

}  // namespace ui
