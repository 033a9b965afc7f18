// An index of the names under this computer's shares, for searching them by name without walking
// the disk for every question. Compact: one entry is its parent's number, where its name starts in
// a shared name buffer (kept twice: as it is and in ASCII lower case for case-insensitive
// matching), its size, its modification time and whether it is a folder; see BytesPerEntry.
// Built once and then only read: a refresh builds a new index and swaps it in.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "protocol/search_reply.h"

namespace server {

using SearchHit = proto::SearchHit;

struct SearchResult {
    std::vector<SearchHit> hits;
    std::size_t leftOut = 0;  // matches beyond the cap, counted but not returned
};

class ShareIndex {
public:
    static constexpr std::uint32_t kNoParent = 0xFFFFFFFFu;
    static constexpr std::size_t kResultCap = proto::kMaxSearchHits;

    // Adds one name under `parent` (kNoParent for a share itself); returns its number, or
    // kNoParent when the index is full (maxEntries) or the name cannot be a path element.
    std::uint32_t Add(std::uint32_t parent, std::string_view name, std::int64_t size, bool folder,
                      std::int64_t modified = 0);
    void Reserve(std::size_t entries, std::size_t nameBytes);
    // Gives back the room reserved for growth once everything is added.
    void ShrinkToFit();

    // Walks a share's folder and adds what it finds under the share's name: folders and regular
    // files, and symbolic links that lead to a regular file inside the share (links to folders are
    // not followed, so no loop and no place outside the share is walked). Entries that cannot be
    // read are skipped. `onFolder` (when given) hears the local path of every folder added, the
    // share's own first; when it returns false the walk ends there (the index keeps what it has).
    // Returns how many entries were added.
    std::size_t AddShare(const std::string& shareName, const std::string& folder,
                         const std::function<bool(const std::string&)>& onFolder = {});

    // Case-insensitive (ASCII) match of the whole name against a pattern with "*" and "?", or,
    // when the pattern has neither, a substring match. At most `cap` hits; the rest are counted.
    SearchResult Search(std::string_view pattern, std::size_t cap = kResultCap) const;

    std::size_t Size() const { return entries_.size(); }
    // Memory held by the index divided by its entries.
    double BytesPerEntry() const;

    std::size_t maxEntries = 10'000'000;

private:
    // 20 bytes: sizes up to 2^47 bytes and times up to the year 2106 fit.
    struct Entry {
        std::uint32_t parent;
        std::uint32_t nameOffset;
        std::uint32_t modified;
        std::uint32_t sizeLow;
        std::uint32_t sizeHighAndFolder;  // top bit: a folder
    };
    static constexpr std::uint32_t kFolderBit = 0x80000000u;

    std::string_view Name(std::uint32_t index) const;
    std::string_view LowerName(std::uint32_t index) const;
    std::string PathOf(std::uint32_t index) const;
    SearchHit HitOf(std::uint32_t index) const;
    // The entry whose lower-case name holds byte `offset` of lowerNames_; it is `from` or later.
    std::uint32_t EntryAt(std::size_t offset, std::uint32_t from) const;
    // Every entry whose lower-case name contains `literal`, in index order, once each, until
    // `visit` returns false.
    template <typename Visit>
    void ForEachContaining(std::string_view literal, Visit&& visit) const;

    std::vector<Entry> entries_;
    std::string names_;       // each name followed by a zero byte
    std::string lowerNames_;  // the same, lower-cased
};

// "*" any run of characters, "?" one character; both strings already lower case.
bool MatchesPattern(std::string_view pattern, std::string_view name);

}  // namespace server
