// The request/reply protocol on the request port: request lines, job words, listings and host
// information, as plain functions shared by the share server and the client jobs.
#pragma once

#include <cstddef>
#include <ctime>
#include <string>
#include <string_view>
#include <vector>

#include "core/types.h"

namespace proto {

// What a request line asks for, numbered as the server numbers it. Not to be confused with the
// client job queue's JobType, which numbers its own jobs differently.
enum class RequestKind : int {
    Unknown = 0,
    Retrieve = 1,
    Ping = 2,
    Expand = 3,
    GetHostInfo = 4,
    GetHostInfoEx = 5,
    HostModified = 6,
    // An extension word (protocol/extension_words.h); never sent to a host that lacks it.
    ExtensionWords = 7,
    // "wdx-get": a file from an offset, with its digest (protocol/get_request.h).
    Get = 8,
    // "wdx-search:<pattern>" (protocol/search_reply.h).
    Search = 9,
    // The files of a folder as one stream (protocol/folder_stream.h).
    FolderStream = 10,
};

// "ping", "gethostinfo", ... without argument; "expand:<path>", "retrieve:<path>" with one.
std::string BuildRequest(std::string_view jobWord);
std::string BuildRequest(std::string_view jobWord, std::string_view argument);

struct RequestLine {
    std::string jobWord;
    std::string argument;  // empty when the line has no colon
};
// Splits at the first colon; further colons stay in the argument.
RequestLine SplitRequest(std::string_view line);

// First matching rule wins: begins with "ping", equals "expand", equals "retrieve", equals
// "gethostinfo", begins with "gethostinfo", equals "hostmodified", equals an extension word; else
// Unknown. Case matters.
RequestKind ClassifyJobWord(std::string_view jobWord);
// File sends are scheduled apart from light jobs.
inline bool IsFileSend(RequestKind type) {
    return type == RequestKind::Retrieve || type == RequestKind::Get ||
           type == RequestKind::FolderStream;
}

// "<name>\<flag>\<size>" entries joined by "\". Entries named "." or ".." and names that contain
// "\" (they cannot be carried) are left out. Folders carry size 0; a negative size is sent as 0.
std::string EncodeListing(const std::vector<DirEntry>& entries);
// Entries a parsed listing holds at most. An entry costs three bytes on the wire but some fifty in
// memory; a hostile listing of empty entries would otherwise grow sixteenfold once parsed.
inline constexpr std::size_t kMaxListingEntries = 1'000'000;
// Shares a host may list: more are no share list a person could use, only a way to make every
// host that lists them hold and parse millions of names again on each "hostmodified".
inline constexpr std::size_t kMaxShareListEntries = 10'000;
// The client's reading of a listing payload; "." and ".." are dropped and entries beyond
// `maxEntries` are left out, counted in `leftOut` when given. Linear in the payload size; the
// caller bounds the payload.
std::vector<DirEntry> ParseListing(std::string_view payload,
                                   std::size_t maxEntries = kMaxListingEntries,
                                   std::size_t* leftOut = nullptr);

// Five fields in the order the job queue hands them on.
struct HostInfo {
    std::string hostName;
    std::string version;
    std::string date;
    std::string time;
    std::string system;

    bool operator==(const HostInfo&) const = default;
};

// "%i.%i hh:mm:ss DD.MM.YYYY " (note the trailing space).
std::string FormatVersionText(int major, int minor, const std::tm& buildTime);
// The version text of this build, from its build stamp in local time.
std::string OwnVersionText();
// "Linux." + kernel release, "#" + kernel version, spaces replaced by "_".
std::string OwnSystemText();

// "<host>\n<version text>\n" and "<host>\n<version text><system text> \n".
std::string EncodeHostInfo(std::string_view hostName, std::string_view versionText);
std::string EncodeHostInfoEx(std::string_view hostName, std::string_view versionText,
                             std::string_view systemText);
// The client's split into the five fields; `extended` also takes the system text.
HostInfo ParseHostInfo(std::string_view payload, bool extended);

}  // namespace proto
