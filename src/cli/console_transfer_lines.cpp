#include "cli/console_transfer_lines.h"

#include <algorithm>
#include <ostream>

#include "cli/listing_format.h"
#include "ui/controller/file_list_rows.h"

namespace cli {

namespace {

std::string FileAndHost(TransferDirection direction, const std::string& file,
                        const std::string& host) {
    // The host column stays empty for a host that left the tree before its transfer was listed.
    return PrintableText(file) + (direction == TransferDirection::Upload ? " to " : " from ") +
           (host.empty() ? std::string("unknown host") : PrintableText(host));
}

const char* Verb(TransferDirection direction) {
    return direction == TransferDirection::Upload ? "upload" : "download";
}

}  // namespace

std::string TransferStartedLine(TransferDirection direction, const std::string& file,
                                const std::string& host) {
    return std::string(Verb(direction)) + " started: " + FileAndHost(direction, file, host);
}

std::string TransferFinishedLine(TransferDirection direction, const std::string& file,
                                 const std::string& host, bool success) {
    return std::string(Verb(direction)) + " finished: " + FileAndHost(direction, file, host) +
           ": " + (success ? "ok" : "failed");
}

void ConsoleTransferLines::AppendRow(const std::string& name, const std::string&,
                                     const std::string& host, int image) {
    rows_.push_back(
        {name, host,
         image == ui::kImageUpload ? TransferDirection::Upload : TransferDirection::Download, false,
         false});
}

void ConsoleTransferLines::SetStatus(std::size_t row, const std::string&, ui::TransferState state) {
    if (row >= rows_.size() || rows_[row].ended) return;
    Row& shown = rows_[row];
    if (state == ui::TransferState::Finished || state == ui::TransferState::Failed ||
        state == ui::TransferState::Cancelled) {
        shown.ended = true;
        out_ << TransferFinishedLine(shown.direction, shown.name, shown.host,
                                     state == ui::TransferState::Finished)
             << std::endl;
        return;
    }
    if (shown.started || state == ui::TransferState::Waiting) return;
    shown.started = true;
    out_ << TransferStartedLine(shown.direction, shown.name, shown.host) << std::endl;
}

void ConsoleTransferLines::DeleteRow(std::size_t row) {
    DeleteRows(row, 1);
}

void ConsoleTransferLines::DeleteRows(std::size_t first, std::size_t count) {
    if (first >= rows_.size()) return;
    const auto begin = rows_.begin() + static_cast<std::ptrdiff_t>(first);
    rows_.erase(begin, begin + static_cast<std::ptrdiff_t>(std::min(count, rows_.size() - first)));
}

}  // namespace cli
