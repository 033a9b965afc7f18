// An index of the names under this computer's shares, for searching them by name without walking
// the disk for every question. Compact: one entry is its parent's number, where its name starts in
// a shared name buffer (kept twice: as it is and in ASCII lower case for case-insensitive
// matching), its size and whether it is a folder; see BytesPerEntry.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace server {

struct SearchHit {
    std::string path;  // "\Share\folder\name", the way the request protocol writes paths
    std::int64_t size = 0;
    bool folder = false;
};

struct SearchResult {
    std::vector<SearchHit> hits;
    std::size_t leftOut = 0;  // matches beyond the cap, counted but not returned
};

class ShareIndex {
public:
    static constexpr std::uint32_t kNoParent = 0xFFFFFFFFu;
    static constexpr std::size_t kResultCap = 1000;

    // Adds one name under `parent` (kNoParent for a share itself); returns its number, or
    // kNoParent when the index is full (maxEntries) or the name cannot be a path element.
    std::uint32_t Add(std::uint32_t parent, std::string_view name, std::int64_t size, bool folder);
    void Reserve(std::size_t entries, std::size_t nameBytes);

    // Walks a share's folder (not following symbolic links) and adds what it finds under the
    // share's name. Entries that cannot be read are skipped. Returns how many were added.
    std::size_t AddShare(const std::string& shareName, const std::string& folder);

    // Case-insensitive (ASCII) match of the whole name against a pattern with "*" and "?", or,
    // when the pattern has neither, a substring match. At most `cap` hits; the rest are counted.
    SearchResult Search(std::string_view pattern, std::size_t cap = kResultCap) const;

    std::size_t Size() const { return entries_.size(); }
    // Memory held by the index divided by its entries.
    double BytesPerEntry() const;

    std::size_t maxEntries = 10'000'000;

private:
    struct Entry {
        std::uint32_t parent;
        std::uint32_t nameOffset;
        std::int64_t size;  // negative: a folder
    };
    std::string_view Name(std::uint32_t index) const;
    std::string_view LowerName(std::uint32_t index) const;
    std::string PathOf(std::uint32_t index) const;

    std::vector<Entry> entries_;
    std::string names_;       // each name followed by a zero byte
    std::string lowerNames_;  // the same, lower-cased
};

// "*" any run of characters, "?" one character; both strings already lower case.
bool MatchesPattern(std::string_view pattern, std::string_view name);

}  // namespace server
