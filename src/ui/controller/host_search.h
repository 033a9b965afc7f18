// A search of one host's shares as the controller sees it: what is asked, what comes back, and
// the listener the answers arrive through. The network runs each host's search off the UI thread
// and reports every search exactly once, unless it was cancelled first.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/types.h"

namespace ui {

// Counts up from 1 for the life of the network; 0 is never a search.
using SearchId = std::uint64_t;

struct SearchHit {
    // The request path: "\Share\folder\name", without a trailing backslash for folders.
    std::string path;
    std::int64_t size = 0;
    bool folder = false;
    // Seconds since 1970 (UTC), when the host tells.
    std::optional<std::int64_t> modified;
};

enum class SearchOutcome {
    Answered,
    // The host speaks only the common protocol.
    CannotSearch,
    // Unreachable, refused, stalled or sent what is no answer.
    NoAnswer,
};

struct SearchReply {
    SearchOutcome outcome = SearchOutcome::NoAnswer;
    std::vector<SearchHit> hits;
    // Matches the host found beyond the hits it sent.
    std::size_t more = 0;
};

class SearchListener {
public:
    virtual ~SearchListener() = default;
    virtual void OnSearchReply(SearchId id, const SearchReply& reply) = 0;
};

}  // namespace ui
