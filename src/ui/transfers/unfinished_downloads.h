// The downloads that have not finished, kept in a file of the program's state so that a restart
// (after a close, a kill or a crash) brings them back. The file is written whole and replaced
// atomically whenever the set changes; it is read once, at the start, and trusted no more than a
// peer: every entry is bounded and checked, a bad entry is dropped alone and a bad file is
// ignored, so that neither can cost more than itself.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/types.h"

namespace ui {

struct UnfinishedDownload {
    Ipv4 address = 0;
    // The name the host had in the tree; shown until it appears again.
    std::string hostName;
    // The host's path ("\Music\top.txt") of the file or folder.
    std::string remotePath;
    // A file's local path; for a folder, the local folder that receives it.
    std::string localPath;
    bool folder = false;
    // The size the listing gave a file; bounds what the host may send.
    std::int64_t listedSize = 0;

    bool operator==(const UnfinishedDownload&) const = default;
};

// More are still downloaded, but not remembered across a restart.
inline constexpr std::size_t kMaxUnfinishedDownloads = 500;
// A longer file is not read at all.
inline constexpr std::size_t kMaxUnfinishedFileBytes = 16 * 1024 * 1024;

std::string FormatUnfinishedDownloads(const std::vector<UnfinishedDownload>& downloads);
// The entries that pass every check, at most kMaxUnfinishedDownloads, without repeats.
std::vector<UnfinishedDownload> ParseUnfinishedDownloads(std::string_view text);
// Whether the entry may be downloaded again as it stands: the checks of the parser.
bool IsSafeUnfinishedDownload(const UnfinishedDownload& download);

// The file itself: a missing, unreadable, oversized or foreign file reads as none.
std::vector<UnfinishedDownload> LoadUnfinishedDownloads(const std::string& path);
// False when the file could not be written; the old one then stays as it was.
bool SaveUnfinishedDownloads(const std::string& path,
                             const std::vector<UnfinishedDownload>& downloads);

}  // namespace ui
