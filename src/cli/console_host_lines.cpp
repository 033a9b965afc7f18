#include "cli/console_host_lines.h"

#include <ostream>

#include "cli/listing_format.h"
#include "model/net_node.h"
#include "net/socket.h"

namespace cli {

namespace {

std::string AddressAndName(Ipv4 address, const std::string& name) {
    std::string text = net::FormatIpv4(address);
    // A host without a name of its own is shown under its address.
    if (!name.empty() && name != text) {
        text += ' ';
        text += PrintableText(name);
    }
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

TreeItem ConsoleHostLines::InsertItem(const std::string& text, TreeItem parent) {
    const TreeItem item = ++lastItem_;
    if (parent == kTreeRoot) topItems_[item].text = text;
    return item;
}

void ConsoleHostLines::SetItemData(TreeItem item, CNetNode* node) {
    const auto top = topItems_.find(item);
    if (top == topItems_.end() || node == nullptr || !node->IsHost()) return;
    top->second.host = true;
    top->second.address = node->GetAddress();
    out_ << HostAppearedLine(top->second.address, top->second.text) << std::endl;
}

void ConsoleHostLines::SetItemText(TreeItem item, const std::string& text) {
    const auto top = topItems_.find(item);
    if (top == topItems_.end() || top->second.text == text) return;
    top->second.text = text;
    if (top->second.host) out_ << HostNamedLine(top->second.address, text) << std::endl;
}

void ConsoleHostLines::DeleteItem(TreeItem item) {
    const auto top = topItems_.find(item);
    if (top == topItems_.end()) return;
    if (top->second.host) out_ << HostGoneLine(top->second.address, top->second.text) << std::endl;
    topItems_.erase(top);
}

}  // namespace cli
