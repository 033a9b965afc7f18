// Searching another host's shares by name with the "wdx-search" extension word. A host that lacks
// the word (a copy of the common protocol) is learnt once through the job queue's extension memo,
// so asking it costs at most one extra connection, once, and it is reported as unable to search.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/types.h"
#include "protocol/search_reply.h"

namespace client {

class ExtensionMemo;

using SearchHit = proto::SearchHit;

enum class SearchOutcome {
    Answered,      // the host searched; hits and leftOut hold its answer (maybe no hits)
    CannotSearch,  // the host does not know the word: it speaks only the common protocol
    Unreachable,   // no connection, no answer in time, a broken reply, or stopped: see problem
};

struct HostSearchResult {
    SearchOutcome outcome = SearchOutcome::Unreachable;
    // At most proto::kMaxSearchHits, each with a checked share path ("\Share\folder\name").
    std::vector<SearchHit> hits;
    // Matches on the host beyond the ones in hits.
    std::uint64_t leftOut = 0;
    // What went wrong, in words a user can be told (util::Describe); empty unless Unreachable.
    std::string problem;
};

// Asks one host (address in network order) with one connection, after the memo's one-time
// question about extension words when the host is not known yet. Blocks for at most the
// receive idle limit per step; a set stop flag ends it at once. Thread-safe; call it from a
// worker thread, one per host to ask them all at once.
HostSearchResult SearchHost(ExtensionMemo& memo, Ipv4 address, std::uint16_t port,
                            std::string_view pattern, const StopFlag* stop);

}  // namespace client
