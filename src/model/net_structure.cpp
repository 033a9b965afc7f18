#include "model/net_structure.h"

#include <arpa/inet.h>

#include <algorithm>
#include <utility>

#include "util/steady_ms.h"

namespace {

std::string DottedAddress(Ipv4 address) {
    char text[INET_ADDRSTRLEN] = {};
    in_addr raw{};
    raw.s_addr = address;
    if (inet_ntop(AF_INET, &raw, text, sizeof text) == nullptr) return {};
    return text;
}

}  // namespace

std::uint32_t SystemTicks() {
    return static_cast<std::uint32_t>(SteadyMilliseconds());
}

CNetStructure::CNetStructure(TreeSink& tree, const StopFlag* closing, TickSource ticks)
    : closing_(closing), tree_(tree), ticks_(ticks ? std::move(ticks) : TickSource(SystemTicks)) {}

CNetStructure::~CNetStructure() {
    for (auto& host : hosts_) host.root.reset();
}

void CNetStructure::AddHost(Ipv4 address, const std::string& name, HostKind kind) {
    const std::string shown = name.empty() ? DottedAddress(address) : name;
    auto root = std::make_unique<CNetNode>(DirEntry{"", 0, true}, kTreeRoot, address, shown,
                                           nullptr, kind, tree_, closing_);
    hosts_.push_back(HostEntry{kind, address, shown, std::move(root)});
}

void CNetStructure::RemoveHost(Ipv4 address) {
    const auto entry = std::find_if(hosts_.begin(), hosts_.end(),
                                    [&](const HostEntry& host) { return host.address == address; });
    if (entry == hosts_.end()) return;
    entry->root.reset();
    hosts_.erase(entry);
}

bool CNetStructure::FindHost(Ipv4 address, std::size_t& index) const {
    for (std::size_t i = 0; i < hosts_.size(); ++i) {
        if (hosts_[i].address == address) {
            index = i;
            return true;
        }
    }
    return false;
}

std::string CNetStructure::GetHostName(std::size_t index) const {
    return index < hosts_.size() ? hosts_[index].name : std::string();
}

HostKind CNetStructure::GetHostKind(std::size_t index) const {
    return index < hosts_.size() ? hosts_[index].kind : HostKind::Manual;
}

Ipv4 CNetStructure::GetHostAddress(std::size_t index) const {
    return index < hosts_.size() ? hosts_[index].address : 0;
}

void CNetStructure::SetHostName(std::size_t index, const std::string& name) {
    if (index >= hosts_.size()) return;
    hosts_[index].name = name;
    hosts_[index].root->SetText(name);
}

void CNetStructure::AddUnwantedHost(Ipv4 address) {
    unwanted_.push_back(UnwantedHost{address, ticks_()});
}

bool CNetStructure::IsHostUnwanted(Ipv4 address) {
    const std::uint32_t now = ticks_();
    // The unsigned difference stays right when the 32-bit tick count wraps around.
    std::erase_if(unwanted_, [now](const UnwantedHost& host) {
        return static_cast<std::uint32_t>(now - host.lastSeen) > kUnwantedMemoryMs;
    });
    for (auto& host : unwanted_) {
        if (host.address == address) {
            host.lastSeen = now;
            return true;
        }
    }
    return false;
}

HostEntry* CNetStructure::FindEntry(Ipv4 address) {
    for (auto& host : hosts_)
        if (host.address == address) return &host;
    return nullptr;
}

CNetNode* CNetStructure::FindNode(Ipv4 address, std::string_view path) {
    HostEntry* host = FindEntry(address);
    return host != nullptr ? host->root->FindByPath(path) : nullptr;
}

CNetNode* CNetStructure::SetListing(Ipv4 address, std::string_view path,
                                    const std::vector<DirEntry>& listing) {
    CNetNode* node = FindNode(address, path);
    // A file has no tree item to hang children under; a listing for it is stale.
    if (node == nullptr || !node->IsFolder()) return nullptr;
    node->SetChildren(listing);
    return node;
}
