// The progress line of a download on a terminal: file, bar, percent, speed, time left, and the
// files done of those found so far.
#pragma once

#include <cstdint>
#include <string>

namespace cli {

struct ProgressState {
    std::string name;
    unsigned percent = 0;
    double speedKBs = 0;        // 1 KB = 1024 bytes
    std::int64_t fileSize = 0;  // bytes; 0 when unknown
    std::uint32_t filesDone = 0;
    std::uint32_t filesFound = 0;
};

// "1:05", "1:02:03"; "--:--" when unknown.
std::string FormatDuration(double seconds);
// "12.3 MiB/s".
std::string FormatSpeed(double speedKBs);

// Fits `width` columns by shortening the name from its start.
std::string FormatProgressLine(const ProgressState& state, std::size_t width);

}  // namespace cli
