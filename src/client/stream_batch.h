// The files of a folder download that go to one host as one "wdx-folder" stream: every one of them
// has passed the walk's name checks and the target checks (and the user's overwrite question)
// before the batch is made. The worker that runs the stream fills in the outcome before it
// reports the job's end; the owner reads it only after that report.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "client/walk_file.h"

namespace client {

struct StreamBatch {
    // Host path of the walk's root, without trailing backslash; every file lies below it.
    std::string rootPath;
    // The folder the user chose: no file may be written outside it.
    std::filesystem::path localDir;
    std::vector<WalkFile> files;
    std::uint64_t totalBytes = 0;

    // Filled by the stream's worker.
    // Files stored whole and verified, the first ones of `files`.
    std::size_t filesDone = 0;
    std::uint64_t bytesDone = 0;
    // The host does not answer "wdx-folder": nothing was asked, the files go the common way.
    bool hostLacksStream = false;
};

// Batches are cut here: the host takes at most so many files and so long a selection at once.
struct StreamBatchLimits {
    std::size_t maxFiles;
    std::size_t maxSelectionBytes;
};

}  // namespace client
