#include "cli/remote_listing.h"

#include "ui/text/ui_strings.h"

namespace cli {

bool LooksTimedOut(std::chrono::steady_clock::time_point lastActivity, int timeoutSeconds) {
    // The receive gives up right at the limit; allow for scheduling on a busy machine.
    const auto limit = std::chrono::milliseconds(timeoutSeconds * 1000 - 250);
    return std::chrono::steady_clock::now() - lastActivity >= limit;
}

ListResult ListRemoteFolder(ClientSession& session, Ipv4 address, const std::string& path,
                            SignalWatch* signals, int timeoutSeconds,
                            std::vector<DirEntry>& listing, std::size_t* leftOut) {
    bool answered = false;
    bool success = false;
    const JobId id = session.Jobs().AddExpandJob(address, path, session.Cancel());
    const auto asked = std::chrono::steady_clock::now();
    session.onExpand = [&](JobId job, const std::vector<DirEntry>& entries, bool ok,
                           std::size_t missing) {
        if (job != id) return;
        answered = true;
        success = ok;
        if (ok) listing = entries;
        if (leftOut != nullptr) *leftOut = ok ? missing : 0;
    };
    const auto end = session.Run([&] { return answered; }, signals);
    session.onExpand = nullptr;
    if (end == ClientSession::End::Interrupted) return ListResult::Interrupted;
    if (success) return ListResult::Ok;
    return LooksTimedOut(asked, timeoutSeconds) ? ListResult::TimedOut : ListResult::Failed;
}

std::string DescribeCutListing(std::size_t leftOut) {
    return ui::FormatText(ui::StringId::ListingCut, {std::to_string(leftOut)});
}

std::string DescribeListFailure(ListResult result, const std::string& host, const std::string& path,
                                int timeoutSeconds) {
    switch (result) {
        case ListResult::Ok:
            return {};
        case ListResult::Interrupted:
            return ui::Translate("Interrupted.");
        case ListResult::TimedOut:
            return ui::FormatText(
                ui::Translate("No answer from %s for %i s while listing %s; giving up."),
                {host, timeoutSeconds, path});
        case ListResult::Failed:
            break;
    }
    return ui::FormatText(
        ui::Translate("Cannot list %s on %s: the host cannot be reached or closed the connection."),
        {path, host});
}

}  // namespace cli
