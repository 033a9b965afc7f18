#include "cli/listing_format.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <limits>

namespace cli {

namespace {

constexpr int kSizeColumn = 10;
constexpr std::int64_t kMaxTotal = std::numeric_limits<std::int64_t>::max();

std::string PadLeft(const std::string& text, int width) {
    if (static_cast<int>(text.size()) >= width) return text;
    return std::string(static_cast<std::size_t>(width) - text.size(), ' ') + text;
}

std::string Plural(std::size_t count, const char* word) {
    return std::to_string(count) + " " + word + (count == 1 ? "" : "s");
}

}  // namespace

std::string FormatSize(std::int64_t bytes) {
    if (bytes < 1024) return std::to_string(std::max<std::int64_t>(bytes, 0)) + " B";
    static constexpr std::array<const char*, 6> kUnits{"KiB", "MiB", "GiB", "TiB", "PiB", "EiB"};
    double value = static_cast<double>(bytes) / 1024.0;
    std::size_t unit = 0;
    // Round first, so that 1048575 bytes reads "1.0 MiB" rather than "1024.0 KiB".
    while (unit + 1 < kUnits.size() && value >= 1023.95) {
        value /= 1024.0;
        ++unit;
    }
    char text[32];
    std::snprintf(text, sizeof text, "%.1f %s", value, kUnits[unit]);
    return text;
}

std::string FormatListing(std::vector<DirEntry> entries) {
    std::stable_sort(entries.begin(), entries.end(), [](const DirEntry& a, const DirEntry& b) {
        if (a.folder != b.folder) return a.folder;
        return a.name < b.name;
    });
    std::string out;
    std::size_t folders = 0;
    std::size_t files = 0;
    std::int64_t total = 0;
    for (const DirEntry& entry : entries) {
        if (entry.folder) {
            ++folders;
            out += PadLeft("<DIR>", kSizeColumn);
        } else {
            ++files;
            // A hostile host may claim sizes whose sum does not fit.
            const std::int64_t size = std::max<std::int64_t>(entry.size, 0);
            total = size > kMaxTotal - total ? kMaxTotal : total + size;
            out += PadLeft(FormatSize(entry.size), kSizeColumn);
        }
        out += "  ";
        out += PrintableText(entry.name);
        out += '\n';
    }
    out +=
        Plural(folders, "folder") + ", " + Plural(files, "file") + ", " + FormatSize(total) + '\n';
    return out;
}

}  // namespace cli
