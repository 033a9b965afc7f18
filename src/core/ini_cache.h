// The parsed text of one INI file, kept while the file stays as it was, so that a large settings
// file is not read and parsed again for every request; a change by any writer, in this process or
// another, shows at the next read.
#pragma once

#include <sys/types.h>

#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "core/ini_document.h"

namespace utilcpp {

class IniCache {
public:
    // The file as it is now: parsed again only when its device, inode, size or modification time
    // (to the nanosecond) differs from the last read. A file that cannot be read reads as empty.
    // Safe to call from several threads at once.
    std::shared_ptr<const IniDocument> Current(const std::string& fileName);

private:
    struct Stamp {
        dev_t device = 0;
        ino_t inode = 0;
        off_t size = 0;
        long long seconds = 0;
        long nanoseconds = 0;
        bool operator==(const Stamp&) const = default;
    };

    std::mutex mutex_;
    std::optional<Stamp> stamp_;
    std::shared_ptr<const IniDocument> document_;
};

}  // namespace utilcpp
