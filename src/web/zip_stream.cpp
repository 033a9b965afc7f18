#include "web/zip_stream.h"

#include <archive.h>
#include <archive_entry.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>

#include "server/share_listing.h"
#include "server/share_paths.h"

namespace web {
namespace {

// Small pieces keep a ZIP download within a few hundred KiB, however many run at once.
constexpr std::size_t kChunk = 64 * 1024;

}  // namespace

ZipStream::ZipStream(std::string folder, std::string shareRoot, std::string topName,
                     const StopFlag* stop, ZipLimits limits)
    : shareRoot_(std::move(shareRoot)), stop_(stop), limits_(limits), chunk_(kChunk) {
    writer_ = archive_write_new();
    if (writer_ == nullptr || archive_write_set_format_zip(writer_) != ARCHIVE_OK ||
        archive_write_set_options(writer_, "zip:compression=store") != ARCHIVE_OK ||
        // Every write goes straight to Take: the writer keeps no block of its own.
        archive_write_set_bytes_per_block(writer_, 0) != ARCHIVE_OK ||
        archive_write_open2(writer_, this, nullptr, &ZipStream::Take, nullptr, nullptr) !=
            ARCHIVE_OK) {
        failed_ = true;
        return;
    }
    Folder top;
    top.path = std::move(folder);
    top.nameInArchive = std::move(topName);
    DirEntry self{top.nameInArchive, 0, true};
    Folder parent;
    parent.nameInArchive.clear();
    if (!StartEntry(parent, self)) failed_ = true;
    std::string real;
    if (server::RealLocation(top.path, real)) visited_.insert(real);
    top.entries = server::ListFolder(top.path, shareRoot_, stop_);
    folders_.push_back(std::move(top));
}

ZipStream::~ZipStream() {
    if (file_ >= 0) ::close(file_);
    if (writer_ != nullptr) archive_write_free(writer_);
}

ssize_t ZipStream::Take(struct archive* /*writer*/, void* self, const void* data,
                        std::size_t size) {
    auto* stream = static_cast<ZipStream*>(self);
    stream->pending_.append(static_cast<const char*>(data), size);
    return static_cast<ssize_t>(size);
}

bool ZipStream::StartEntry(const Folder& folder, const DirEntry& entry) {
    const std::string name =
        folder.nameInArchive.empty() ? entry.name : folder.nameInArchive + "/" + entry.name;
    std::unique_ptr<archive_entry, decltype(&archive_entry_free)> header(archive_entry_new(),
                                                                         &archive_entry_free);
    archive_entry_set_pathname_utf8(header.get(),
                                    entry.folder ? (name + "/").c_str() : name.c_str());
    archive_entry_set_filetype(header.get(), entry.folder ? AE_IFDIR : AE_IFREG);
    archive_entry_set_perm(header.get(), entry.folder ? 0755 : 0644);
    archive_entry_set_size(header.get(), entry.folder ? 0 : entry.size);
    if (!folder.path.empty()) {
        struct stat info {};
        if (::stat((folder.path + "/" + entry.name).c_str(), &info) == 0) {
            archive_entry_set_mtime(header.get(), info.st_mtime, 0);
        }
    }
    return archive_write_header(writer_, header.get()) == ARCHIVE_OK;
}

bool ZipStream::Finish() {
    finished_ = true;
    if (archive_write_close(writer_) != ARCHIVE_OK) failed_ = true;
    return !failed_;
}

bool ZipStream::Advance() {
    if (file_ >= 0) {
        const std::size_t want =
            static_cast<std::size_t>(std::min<std::uint64_t>(fileLeft_, kChunk));
        ssize_t got = ::read(file_, chunk_.data(), want);
        if (got <= 0) {
            // The file shrank while it was sent: the archive still gets the size it announced.
            std::memset(chunk_.data(), 0, want);
            got = static_cast<ssize_t>(want);
        }
        if (archive_write_data(writer_, chunk_.data(), static_cast<std::size_t>(got)) < 0) {
            failed_ = true;
            return false;
        }
        fileLeft_ -= static_cast<std::uint64_t>(got);
        if (fileLeft_ == 0) {
            ::close(file_);
            file_ = -1;
        }
        return true;
    }
    while (!folders_.empty()) {
        if (IsStopped(stop_)) return Finish();
        Folder& folder = folders_.back();
        if (folder.next == folder.entries.size()) {
            folders_.pop_back();
            continue;
        }
        const DirEntry entry = folder.entries[folder.next++];
        if (entry.folder) {
            if (folders_.size() > limits_.maxDepth || foldersSeen_ >= limits_.maxFolders) continue;
            Folder below;
            below.path = folder.path + "/" + entry.name;
            std::string real;
            if (!server::RealLocation(below.path, real) || !visited_.insert(real).second) continue;
            ++foldersSeen_;
            below.nameInArchive = folder.nameInArchive + "/" + entry.name;
            if (!StartEntry(folder, entry)) {
                failed_ = true;
                return false;
            }
            below.entries = server::ListFolder(below.path, shareRoot_, stop_);
            folders_.push_back(std::move(below));
            return true;
        }
        if (files_ >= limits_.maxFiles) continue;
        const int fd = ::open((folder.path + "/" + entry.name).c_str(), O_RDONLY | O_CLOEXEC);
        struct stat info {};
        // A file that went away since the listing is left out, not announced and then missed.
        if (fd < 0 || ::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
            if (fd >= 0) ::close(fd);
            continue;
        }
        ++files_;
        DirEntry sized = entry;
        sized.size = info.st_size;
        if (!StartEntry(folder, sized)) {
            ::close(fd);
            failed_ = true;
            return false;
        }
        if (sized.size > 0) {
            file_ = fd;
            fileLeft_ = static_cast<std::uint64_t>(sized.size);
        } else {
            ::close(fd);
        }
        return true;
    }
    return Finish();
}

std::int64_t ZipStream::Read(char* out, std::size_t capacity) {
    while (pendingTaken_ == pending_.size()) {
        pending_.clear();
        pendingTaken_ = 0;
        if (failed_) return -1;
        if (finished_) return 0;
        if (!Advance() && failed_) return -1;
    }
    const std::size_t count = std::min(capacity, pending_.size() - pendingTaken_);
    std::memcpy(out, pending_.data() + pendingTaken_, count);
    pendingTaken_ += count;
    return static_cast<std::int64_t>(count);
}

}  // namespace web
