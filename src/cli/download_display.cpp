#include "cli/download_display.h"

#include <sys/ioctl.h>
#include <unistd.h>

#include <cstdio>
#include <ostream>

#include "cli/listing_format.h"

namespace cli {

namespace {

std::size_t TerminalWidth() {
    winsize size{};
    if (ioctl(STDOUT_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 20) return size.ws_col - 1;
    return 79;
}

}  // namespace

DownloadDisplay::DownloadDisplay(std::ostream& out, bool terminal)
    : out_(out), terminal_(terminal) {}

void DownloadDisplay::FileStarted(const std::string& shownName, std::int64_t size,
                                  std::uint32_t filesDone, std::uint32_t filesFound) {
    state_.name = shownName;
    state_.fileSize = size;
    state_.percent = 0;
    state_.speedKBs = 0;
    state_.filesDone = filesDone;
    state_.filesFound = filesFound;
    Redraw();
}

void DownloadDisplay::Progress(unsigned percent, float speedKBs) {
    state_.percent = percent;
    state_.speedKBs = speedKBs;
    Redraw();
}

void DownloadDisplay::FilesFound(std::uint32_t filesFound) {
    if (state_.filesFound == filesFound) return;
    state_.filesFound = filesFound;
    if (lineShown_) Redraw();
}

void DownloadDisplay::FileFinished(const std::string& localPath, std::int64_t size, bool success,
                                   bool flush) {
    if (success) {
        ++state_.filesDone;
        state_.percent = 100;
    }
    if (terminal_) {
        Redraw();
        return;
    }
    if (success) out_ << PrintableText(localPath) << "  " << FormatSize(size) << '\n';
    if (flush) out_.flush();
}

void DownloadDisplay::Interrupt() {
    if (!terminal_ || !lineShown_) return;
    out_ << "\r\033[K" << std::flush;
    lineShown_ = false;
}

void DownloadDisplay::Summary(std::uint32_t files, std::int64_t bytes, double seconds) {
    if (!terminal_) return;
    Interrupt();
    char text[128];
    std::snprintf(text, sizeof text, "%u file%s, %s in %.1f s", files, files == 1 ? "" : "s",
                  FormatSize(bytes).c_str(), seconds);
    out_ << text << std::endl;
}

void DownloadDisplay::Redraw() {
    if (!terminal_) return;
    out_ << "\r\033[K" << FormatProgressLine(state_, TerminalWidth()) << std::flush;
    lineShown_ = true;
}

}  // namespace cli
