#include "cli/progress_line.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "cli/listing_format.h"

namespace cli {

namespace {

constexpr std::size_t kBarCells = 20;
constexpr std::size_t kMinNameColumns = 8;

std::string Bar(unsigned percent) {
    const std::size_t filled = std::min<std::size_t>(kBarCells, percent * kBarCells / 100);
    // Appended piece by piece: GCC 12 misreads "[" + string as an overlapping copy at -O2.
    std::string bar(1, '[');
    bar.append(filled, '#');
    bar.append(kBarCells - filled, '-');
    bar += ']';
    return bar;
}

}  // namespace

std::string FormatDuration(double seconds) {
    if (!std::isfinite(seconds) || seconds < 0 || seconds > 99 * 3600.0) return "--:--";
    const auto total = static_cast<long long>(std::llround(seconds));
    char text[32];
    if (total >= 3600) {
        std::snprintf(text, sizeof text, "%lld:%02lld:%02lld", total / 3600, total / 60 % 60,
                      total % 60);
    } else {
        std::snprintf(text, sizeof text, "%lld:%02lld", total / 60, total % 60);
    }
    return text;
}

std::string FormatSpeed(double speedKBs) {
    const double bytes = std::max(0.0, speedKBs) * 1024.0;
    if (bytes > 9.0e18) return "fast";
    return FormatSize(static_cast<std::int64_t>(bytes)) + "/s";
}

std::string FormatProgressLine(const ProgressState& state, std::size_t width) {
    const unsigned percent = std::min(state.percent, 100u);
    double secondsLeft = -1;
    if (state.speedKBs > 0 && state.fileSize > 0) {
        const double left = static_cast<double>(state.fileSize) * (100 - percent) / 100.0;
        secondsLeft = left / (state.speedKBs * 1024.0);
    }
    char numbers[96];
    std::snprintf(numbers, sizeof numbers, " %s %3u%% %s ETA %s [%u/%u]", Bar(percent).c_str(),
                  percent, FormatSpeed(state.speedKBs).c_str(), FormatDuration(secondsLeft).c_str(),
                  state.filesDone, state.filesFound);
    const std::string tail = numbers;
    std::string name = PrintableText(state.name);
    const std::size_t room =
        width > tail.size() + kMinNameColumns ? width - tail.size() : kMinNameColumns;
    if (name.size() > room) {
        std::size_t cut = name.size() - (room - 3);
        // Start on a whole UTF-8 character.
        while (cut < name.size() && (static_cast<unsigned char>(name[cut]) & 0xC0) == 0x80) ++cut;
        name = "..." + name.substr(cut);
    }
    return name + tail;
}

}  // namespace cli
