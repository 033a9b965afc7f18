#include "core/ini_cache.h"

#include <sys/stat.h>

#include "core/atomic_file.h"

namespace utilcpp {

std::shared_ptr<const IniDocument> IniCache::Current(const std::string& fileName) {
    struct stat info {};
    if (::stat(fileName.c_str(), &info) != 0) {
        std::lock_guard guard(mutex_);
        stamp_.reset();
        document_.reset();
        return std::make_shared<const IniDocument>();
    }
    const Stamp now{info.st_dev, info.st_ino, info.st_size, info.st_mtim.tv_sec,
                    info.st_mtim.tv_nsec};
    {
        std::lock_guard guard(mutex_);
        if (stamp_ == now && document_) return document_;
    }
    // Read outside the lock, so that readers of the kept text never wait for a slow disk. The
    // stamp was taken before the read: a write during it leaves a newer stamp on the file, and
    // the next read parses again.
    std::string text;
    ReadWholeFile(fileName, text);
    auto document = std::make_shared<const IniDocument>(IniDocument::Parse(text));
    std::lock_guard guard(mutex_);
    stamp_ = now;
    document_ = document;
    return document;
}

}  // namespace utilcpp
