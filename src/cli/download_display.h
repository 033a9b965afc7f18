// What a download shows: on a terminal one progress line redrawn in place, elsewhere one line per
// finished file, so that logs stay readable.
#pragma once

#include <chrono>
#include <cstdint>
#include <iosfwd>
#include <string>

#include "cli/progress_line.h"

namespace cli {

class DownloadDisplay {
public:
    DownloadDisplay(std::ostream& out, bool terminal);

    void FileStarted(const std::string& shownName, std::int64_t size, std::uint32_t filesDone,
                     std::uint32_t filesFound);
    void Progress(unsigned percent, float speedKBs);
    void FilesFound(std::uint32_t filesFound);
    // Off a terminal the line is flushed only when `flush` is set: a stream's thousands of files
    // end at once and go out in one write.
    void FileFinished(const std::string& localPath, std::int64_t size, bool success,
                      bool flush = true);
    // Clears the progress line before another line (an error) is written.
    void Interrupt();
    // On a terminal: "N files, SIZE in T s".
    void Summary(std::uint32_t files, std::int64_t bytes, double seconds);

private:
    void Redraw();

    std::ostream& out_;
    const bool terminal_;
    ProgressState state_;
    bool lineShown_ = false;
};

}  // namespace cli
