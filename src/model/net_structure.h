// The model of everything the user browses: the known hosts, each the root of its own tree of
// shares, folders and files, and the hosts whose download requests were just refused. Lives on the
// user-interface thread and takes no locks.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/types.h"
#include "model/net_node.h"
#include "model/tree_sink.h"

// Millisecond tick count; wraps around like any 32-bit tick counter.
using TickSource = std::function<std::uint32_t()>;
// Milliseconds of a monotonic clock, truncated to 32 bits.
std::uint32_t SystemTicks();

struct HostEntry {
    HostKind kind;
    Ipv4 address;
    std::string name;  // the display name
    std::unique_ptr<CNetNode> root;
};

struct UnwantedHost {
    Ipv4 address;
    std::uint32_t lastSeen;  // tick of the last refusal or the last lookup that found it
};

class CNetStructure {
public:
    // How long a refused host stays refused after its last request.
    static constexpr std::uint32_t kUnwantedMemoryMs = 10000;

    CNetStructure(TreeSink& tree, const StopFlag* closing, TickSource ticks = SystemTicks);
    ~CNetStructure();
    CNetStructure(const CNetStructure&) = delete;
    CNetStructure& operator=(const CNetStructure&) = delete;

    // Appends a host with a top-level tree item; an empty name becomes the dotted address. The
    // caller must not add an address twice.
    void AddHost(Ipv4 address, const std::string& name, HostKind kind);
    // Deletes the first host with that address and its whole subtree; unknown addresses are
    // ignored.
    void RemoveHost(Ipv4 address);

    // Indexes are positions in the host list, valid until the next AddHost or RemoveHost.
    bool FindHost(Ipv4 address, std::size_t& index) const;
    std::size_t GetHostCount() const { return hosts_.size(); }
    // Out-of-range indexes give empty values and change nothing.
    std::string GetHostName(std::size_t index) const;
    HostKind GetHostKind(std::size_t index) const;
    Ipv4 GetHostAddress(std::size_t index) const;
    // Renames the entry and its tree item; the root node's own name stays empty.
    void SetHostName(std::size_t index, const std::string& name);

    void AddUnwantedHost(Ipv4 address);
    // Forgets hosts not seen for kUnwantedMemoryMs, then refreshes and reports the address.
    bool IsHostUnwanted(Ipv4 address);

    CNetNode* FindNode(Ipv4 address, std::string_view path);
    // Replaces the children of the node at `path` with the listing and returns that node; none
    // when host or path is unknown, or when the path names a file.
    CNetNode* SetListing(Ipv4 address, std::string_view path, const std::vector<DirEntry>& listing);

private:
    HostEntry* FindEntry(Ipv4 address);

    const StopFlag* closing_;
    TreeSink& tree_;
    TickSource ticks_;
    std::vector<HostEntry> hosts_;
    std::vector<UnwantedHost> unwanted_;
};
