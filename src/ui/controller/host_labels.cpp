#include "ui/controller/host_labels.h"

#include <map>

#include "net/socket.h"
#include "util/printable_text.h"
#include "util/text.h"

namespace ui {

namespace {

// What the user sees of a name: control characters are shown as marks and blanks around it
// are hard to see.
std::string ReadAs(const std::string& name) {
    return std::string(xUtilTrim(util::PrintableText(name)));
}

}  // namespace

std::vector<std::string> HostLabels(const std::vector<NamedHost>& hosts) {
    std::map<std::string, int> users;
    for (const NamedHost& host : hosts) {
        if (!host.name.empty()) ++users[ReadAs(host.name)];
    }
    std::vector<std::string> labels;
    labels.reserve(hosts.size());
    for (const NamedHost& host : hosts) {
        const bool shared = !host.name.empty() && users[ReadAs(host.name)] > 1;
        labels.push_back(shared ? host.name + " (" + net::FormatIpv4(host.address) + ")"
                                : host.name);
    }
    return labels;
}

}  // namespace ui
