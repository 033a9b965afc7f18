// What a download that was cut off leaves for the next attempt: the bytes that arrived, in a
// hidden part file beside the target, and a small record of where they came from. The target
// itself never holds a partial file.
#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

#include "core/types.h"

namespace client {

struct PartialPaths {
    std::string data;    // ".<name>.wendaro-partial"
    std::string record;  // ".<name>.wendaro-partial-from"
};

PartialPaths PartialPathsFor(const std::string& localPath);

// Where the part came from, and the version of the file it is the beginning of, as the host
// described it when the part began.
struct PartialRecord {
    Ipv4 address = 0;
    std::string remotePath;
    std::string localPath;
    std::uint64_t size = 0;
    std::int64_t modifiedNs = 0;

    bool operator==(const PartialRecord&) const = default;
};

std::optional<PartialRecord> ReadPartialRecord(const std::string& recordPath);
// Replaces the record atomically: a crash leaves the old record or the new one.
bool WritePartialRecord(const std::string& recordPath, const PartialRecord& record);

// Removes the part of a download to `localPath` and its record, if there are any: for a download
// the user cancels (a paused one keeps its part).
void DiscardPartial(const std::string& localPath);

inline constexpr std::chrono::hours kPartialLifetime{24 * 7};

// Removes parts, records and leftover temporary files in `folder` that have not been written for
// `maxAge`. Returns how many files went.
std::size_t SweepStalePartials(const std::filesystem::path& folder,
                               std::chrono::seconds maxAge = kPartialLifetime);
// The sweep of the download target's folder, done by the first download into it in each run of
// the program (later ones in the same folder find nothing old).
void SweepStalePartialsOnce(const std::filesystem::path& folder);

}  // namespace client
