// One file a folder download found: where it is on the host and where it goes here.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

namespace client {

struct WalkFile {
    // Host path, without trailing backslash.
    std::string remotePath;
    std::filesystem::path localPath;
    // As listed; never negative.
    std::int64_t size = 0;
};

}  // namespace client
