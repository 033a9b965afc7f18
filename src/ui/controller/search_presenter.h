// The search box's results: which host each running search asks, the rows in the order the
// answers came, and the line about the search. A reply of a search that is not the current one
// (an older search's late answer) changes nothing.
#pragma once

#include <cstddef>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "core/types.h"
#include "ui/controller/host_search.h"
#include "ui/text/number_format.h"
#include "ui/views/search_view.h"

namespace ui {

// Rows of all hosts together; a host sends at most 1,000 hits, but many hosts must not make
// the list unbounded.
inline constexpr std::size_t kMaxSearchRows = 20000;
inline constexpr std::size_t kMaxHitsPerHost = 1000;

// One found entry: where it is, as the download and "Show in tree" need it.
struct SearchResult {
    Ipv4 address = 0;
    SearchHit hit;
};

class SearchPresenter {
public:
    SearchPresenter(SearchView* view, const NumberFormat& numbers)
        : view_(view), numbers_(numbers) {}

    // A new search: the rows and hosts of the one before go, the empty list shows.
    void Begin();
    // A host the current search asks.
    void Asking(SearchId id, Ipv4 address, const std::string& hostName);
    // False when the id belongs to no running search of the current session.
    bool OnReply(SearchId id, const SearchReply& reply);
    // The searches still waiting for their host; they are forgotten.
    std::vector<SearchId> TakeRunning();
    // Back to the file list; the rows stay until the next search.
    void Hide();

    bool Shown() const { return shown_; }
    // The results behind the selected rows (note rows are none).
    std::vector<SearchResult> SelectedResults() const;

private:
    void ShowStatus();

    SearchView* view_;
    const NumberFormat& numbers_;
    bool shown_ = false;
    struct Host {
        Ipv4 address = 0;
        std::string name;
    };
    std::map<SearchId, Host> running_;
    std::size_t asked_ = 0;
    std::size_t answered_ = 0;
    std::size_t found_ = 0;
    // One per row: a result, or nothing for a note.
    std::vector<std::optional<SearchResult>> rows_;
};

// Whether a path a host sent may stand for one of its entries: "\" then names that each could be
// a local file name ("..", slashes, control characters are not).
bool IsAcceptableHitPath(const std::string& path);

}  // namespace ui
