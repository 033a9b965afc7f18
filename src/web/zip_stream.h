// A folder of a share as a ZIP archive made while it is sent: files are read in pieces and handed
// to the archive writer, whose output is taken piece by piece by the HTTP engine, so that neither
// a temporary file nor the whole archive ever exists. Files are stored, not compressed: most large
// files are compressed already, and the link, not the processor, should be what limits a download.
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <unordered_set>
#include <vector>

#include "core/types.h"

struct archive;

namespace web {

struct ZipLimits {
    // The same bounds as a folder download's walk.
    std::size_t maxFiles = 2'000'000;
    std::size_t maxFolders = 1'000'000;
    std::size_t maxDepth = 128;
};

class ZipStream {
public:
    // `folder` is a real path at or below `shareRoot`; `topName` the folder's name in the archive.
    // `stop` (may be null) ends the archive early.
    ZipStream(std::string folder, std::string shareRoot, std::string topName, const StopFlag* stop,
              ZipLimits limits = {});
    ~ZipStream();
    ZipStream(const ZipStream&) = delete;
    ZipStream& operator=(const ZipStream&) = delete;

    // Copies up to `capacity` next bytes of the archive into `out`. Returns how many; 0 at the end
    // of the archive; -1 when it cannot go on (the archive writer failed).
    std::int64_t Read(char* out, std::size_t capacity);

private:
    struct Folder {
        std::string path;
        std::string nameInArchive;
        std::vector<DirEntry> entries;
        std::size_t next = 0;
    };
    static ssize_t Take(struct archive* writer, void* self, const void* data, std::size_t size);
    // Adds the next entry (or a piece of the current file) to the archive; false at the end.
    bool Advance();
    bool StartEntry(const Folder& folder, const DirEntry& entry);
    bool Finish();

    const std::string shareRoot_;
    const StopFlag* stop_;
    const ZipLimits limits_;
    struct archive* writer_ = nullptr;
    std::vector<Folder> folders_;
    std::size_t files_ = 0;
    std::size_t foldersSeen_ = 1;
    // Real locations of the folders taken: a link back up inside the share is not a loop.
    std::unordered_set<std::string> visited_;
    int file_ = -1;
    std::uint64_t fileLeft_ = 0;
    bool finished_ = false;
    bool failed_ = false;
    // What the writer gave and Read has not taken yet.
    std::string pending_;
    std::size_t pendingTaken_ = 0;
    std::vector<char> chunk_;
};

}  // namespace web
