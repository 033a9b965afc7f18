#include "cli/serve_console.h"

#include <ostream>

#include "cli/listing_format.h"
#include "net/socket.h"

namespace cli {

namespace {

std::string AddressAndName(Ipv4 address, const std::string& name) {
    std::string text = net::FormatIpv4(address);
    if (!name.empty()) text += " " + PrintableText(name);
    return text;
}

}  // namespace

std::string HostAppearedLine(Ipv4 address, const std::string& name) {
    return "host appeared: " + AddressAndName(address, name);
}

std::string HostNamedLine(Ipv4 address, const std::string& name) {
    return "host named: " + AddressAndName(address, name);
}

std::string HostGoneLine(Ipv4 address, const std::string& name) {
    return "host gone: " + AddressAndName(address, name);
}

std::string UploadStartedLine(const std::string& file, const std::string& host) {
    return "upload started: " + PrintableText(file) + " to " + PrintableText(host);
}

std::string UploadFinishedLine(const std::string& file, const std::string& host, bool success) {
    return "upload finished: " + PrintableText(file) + " to " + PrintableText(host) + ": " +
           (success ? "ok" : "failed");
}

std::string ChatLine(Ipv4 sender, const std::string& senderName, const std::string& text) {
    const std::string who = senderName.empty() ? net::FormatIpv4(sender) : senderName;
    return PrintableText(who) + ": " + PrintableText(text);
}

void ServeConsole::HostAppeared(Ipv4 address, const std::string& name) {
    Write(HostAppearedLine(address, name));
}

void ServeConsole::HostNamed(Ipv4 address, const std::string& name) {
    Write(HostNamedLine(address, name));
}

void ServeConsole::HostGone(Ipv4 address, const std::string& name) {
    Write(HostGoneLine(address, name));
}

void ServeConsole::UploadStarted(const std::string& file, const std::string& host) {
    Write(UploadStartedLine(file, host));
}

void ServeConsole::UploadFinished(const std::string& file, const std::string& host, bool success) {
    Write(UploadFinishedLine(file, host, success));
}

void ServeConsole::ChatText(Ipv4 sender, const std::string& senderName, const std::string& text) {
    Write(ChatLine(sender, senderName, text));
}

void ServeConsole::Write(const std::string& line) {
    out_ << line << std::endl;
}

}  // namespace cli
