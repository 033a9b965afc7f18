// The file list: the children of the selected tree node as rows, in the order the column clicks
// chose, and the nodes behind the rows, so that a command on selected rows finds its nodes.
#pragma once

#include <string>
#include <vector>

#include "core/types.h"
#include "model/net_node.h"
#include "ui/controller/file_list_rows.h"
#include "ui/text/number_format.h"
#include "ui/views/file_list_view.h"
#include "ui/views/tree_view.h"

namespace ui {

class FileListPresenter {
public:
    FileListPresenter(FileListView& view, const TreeView& tree, const NumberFormat& numbers)
        : view_(view), tree_(tree), numbers_(numbers) {}

    // Shows the children of the selected tree node; none without a selection.
    void Fill();
    // A click on a column header: moves the header marks and sorts the rows again.
    void SortByColumn(int column);
    // Refills the list when a change of the model under `path` of the host may have replaced
    // the nodes it shows.
    void RefreshAfterChange(Ipv4 address, const std::string& path);

    // The nodes behind the rows, in row order.
    const std::vector<CNetNode*>& Nodes() const { return rows_; }
    // The nodes behind the selected rows.
    std::vector<CNetNode*> SelectedNodes() const;

private:
    FileListView& view_;
    const TreeView& tree_;
    const NumberFormat& numbers_;
    FileListSort sort_;
    std::vector<CNetNode*> rows_;
    // Where the shown rows came from, while any are shown.
    bool filled_ = false;
    Ipv4 address_ = 0;
    std::string path_;
};

}  // namespace ui
