#include <cstdio>
#include <ctime>

#include "protocol/request_protocol.h"

// Fallbacks keep the file compilable outside the build, which passes the real stamp.
#ifndef WENDARO_BUILD_EPOCH
#define WENDARO_BUILD_EPOCH 0
#endif
#ifndef WENDARO_VERSION_MAJOR
#define WENDARO_VERSION_MAJOR 0
#endif
#ifndef WENDARO_VERSION_MINOR
#define WENDARO_VERSION_MINOR 0
#endif

namespace proto {

std::string FormatVersionText(int major, int minor, const std::tm& buildTime) {
    // Each field is printed with at least two digits; the year is printed in full.
    char text[128];
    const int length =
        std::snprintf(text, sizeof text, "%i.%i %02d:%02d:%02d %02d.%02d.%02d ", major, minor,
                      buildTime.tm_hour, buildTime.tm_min, buildTime.tm_sec, buildTime.tm_mday,
                      buildTime.tm_mon + 1, buildTime.tm_year + 1900);
    if (length < 0) return {};
    return std::string(text, static_cast<std::size_t>(length) < sizeof text
                                 ? static_cast<std::size_t>(length)
                                 : sizeof text - 1);
}

std::string OwnVersionText() {
    const auto stamp = static_cast<std::time_t>(WENDARO_BUILD_EPOCH);
    std::tm local{};
    localtime_r(&stamp, &local);  // on failure the zeroed time still gives the right layout
    return FormatVersionText(WENDARO_VERSION_MAJOR, WENDARO_VERSION_MINOR, local);
}

}  // namespace proto
