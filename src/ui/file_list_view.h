// The file list beside the tree: the children of the selected node, one row each.
#pragma once

#include <string>
#include <vector>

#include "ui/file_list_rows.h"

class CNetNode;

namespace ui {

class FileListView {
public:
    virtual ~FileListView() = default;

    virtual void Clear() = 0;
    // Appends a row: the name in the first column, the size text (empty for folders) in the
    // second, an image index of the small image list, and the node the row stands for.
    virtual void AddRow(const std::string& name, const std::string& sizeText, int image,
                        CNetNode* node) = 0;
    // The nodes of the selected rows, in row order.
    virtual std::vector<CNetNode*> SelectedNodes() const = 0;
    // The sort arrow of a column header.
    virtual void SetSortMark(int column, SortMark mark) = 0;
};

}  // namespace ui
