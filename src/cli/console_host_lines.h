// The host tree of a serving host, shown as lines: of the whole tree only the hosts matter, and
// each host that comes, gets its name or goes becomes one line on the console.
#pragma once

#include <iosfwd>
#include <map>
#include <string>

#include "core/types.h"
#include "model/tree_sink.h"

namespace cli {

// Each returns the line without its line end. A name that only repeats the dotted address is left
// out; names from other hosts are cleaned of control characters.
std::string HostAppearedLine(Ipv4 address, const std::string& name);
std::string HostNamedLine(Ipv4 address, const std::string& name);
std::string HostGoneLine(Ipv4 address, const std::string& name);

class ConsoleHostLines final : public TreeSink {
public:
    explicit ConsoleHostLines(std::ostream& out) : out_(out) {}

    TreeItem InsertItem(const std::string& text, TreeItem parent) override;
    void SetItemImages(TreeItem, int, int) override {}
    // A top-level item linked to its host node is a host that appeared.
    void SetItemData(TreeItem item, CNetNode* node) override;
    void SetItemText(TreeItem item, const std::string& text) override;
    void DeleteItem(TreeItem item) override;
    void Invalidate() override {}

private:
    struct TopItem {
        std::string text;
        Ipv4 address = 0;
        bool host = false;
    };

    std::ostream& out_;
    TreeItem lastItem_ = kNoTreeItem;
    // Items at the top of the tree: hosts, and the hint shown while no other host is known.
    std::map<TreeItem, TopItem> topItems_;
};

}  // namespace cli
