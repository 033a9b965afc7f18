// The console view of a serving host: one line per event, flushed at once so that a pipe reader
// sees each event as it happens. Kept apart from the event handling so that any front end that
// shows events as text lines can use it.
#pragma once

#include <iosfwd>
#include <string>

#include "core/types.h"

namespace cli {

// Each returns the line without its line end. Names and texts from other hosts are cleaned of
// control characters.
std::string HostAppearedLine(Ipv4 address, const std::string& name);
std::string HostNamedLine(Ipv4 address, const std::string& name);
std::string HostGoneLine(Ipv4 address, const std::string& name);
std::string UploadStartedLine(const std::string& file, const std::string& host);
std::string UploadFinishedLine(const std::string& file, const std::string& host, bool success);
// "<sender>: <text>": the sender's host name, or its dotted address when the name is unknown.
std::string ChatLine(Ipv4 sender, const std::string& senderName, const std::string& text);

class ServeConsole {
public:
    explicit ServeConsole(std::ostream& out) : out_(out) {}

    void HostAppeared(Ipv4 address, const std::string& name);
    void HostNamed(Ipv4 address, const std::string& name);
    void HostGone(Ipv4 address, const std::string& name);
    void UploadStarted(const std::string& file, const std::string& host);
    void UploadFinished(const std::string& file, const std::string& host, bool success);
    void ChatText(Ipv4 sender, const std::string& senderName, const std::string& text);

private:
    void Write(const std::string& line);

    std::ostream& out_;
};

}  // namespace cli
