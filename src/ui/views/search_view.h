// The search box's result list, shown in the file list's place while the controller says so.
// The controller remembers what each row stands for; the view only shows texts.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace ui {

struct SearchRow {
    std::string host;
    std::string path;
    std::string sizeText;      // empty for folders
    std::string modifiedText;  // empty when the host did not tell
    // An image index of the small image list.
    int image = 0;
    // Set instead of the others for a line about a host (it cannot search, did not answer, had
    // more): the row shows only this text, across the columns.
    std::string note;
};

class SearchView {
public:
    virtual ~SearchView() = default;

    // The result list instead of the file list, or back.
    virtual void ShowResultList(bool shown) = 0;
    virtual void ClearResults() = 0;
    // Appends rows below those shown.
    virtual void AddResultRows(const std::vector<SearchRow>& rows) = 0;
    // Positions of the selected rows, ascending.
    virtual std::vector<std::size_t> SelectedResultRows() const = 0;
    // A line about the search (how many hosts answered, how much was found).
    virtual void SetSearchStatus(const std::string& text) = 0;
};

}  // namespace ui
