// The file list beside the tree: the children of the selected node, one row each. The controller
// remembers which node each row stands for; the view only shows texts.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "ui/controller/file_list_rows.h"

namespace ui {

class FileListView {
public:
    virtual ~FileListView() = default;

    virtual void Clear() = 0;
    // Appends a row: the name in the first column, the size text (empty for folders) in the
    // second, and an image index of the small image list.
    virtual void AddRow(const std::string& name, const std::string& sizeText, int image) = 0;
    // Positions of the selected rows, ascending.
    virtual std::vector<std::size_t> SelectedRows() const = 0;
    // Makes the row the only selected and current one, scrolled into view.
    virtual void SelectRow(std::size_t row) = 0;
    // The sort arrow of a column header.
    virtual void SetSortMark(int column, SortMark mark) = 0;
    // A line about the rows shown (the window's status line); empty: nothing to say.
    virtual void SetStatusText(const std::string& text) = 0;
};

}  // namespace ui
