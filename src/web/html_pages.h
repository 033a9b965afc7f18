// The HTML pages of the web view. Every name from a share or a header is escaped; the pages carry
// no script and no inline style, so that the strict Content-Security-Policy holds.
#pragma once

#include <cstdint>
#include <ctime>
#include <string>
#include <string_view>
#include <vector>

#include "web/web_text.h"

namespace web {

// Whom a page is for: its language, and the host it shows.
struct PageReader {
    const Translator* translator = nullptr;
    std::vector<std::string> languages;
    std::string hostName;

    std::string Text(const char* english) const;
};

struct FolderEntry {
    std::string name;
    std::uint64_t size = 0;
    std::time_t modified = 0;
    bool folder = false;
};

enum class SortKey { Name, Size, Date };

struct FolderView {
    SortKey sort = SortKey::Name;
    bool descending = false;
    // Case-insensitive part of the names to keep; empty keeps all.
    std::string filter;
};

// "name"/"size"/"date" and "asc"/"desc", as the sort links write them; anything else the default.
FolderView ParseFolderView(const std::string& sort, const std::string& order,
                           const std::string& filter);

// Filters and sorts (folders first, then by the key; names compare without regard to ASCII case).
void ArrangeEntries(std::vector<FolderEntry>& entries, const FolderView& view);

// The icon a file gets in a folder page, by the type its name says: "image", "audio", "video",
// "archive" or "file" (the served asset is "/_/<icon>.svg").
const char* FileIconFor(std::string_view fileName);

// "0 B", "512 B", "1.5 KB", "3.2 MB", "4.0 GB".
std::string FormatSize(std::uint64_t bytes);

std::string RenderShareList(const PageReader& reader, const std::vector<std::string>& shares);

// `components`: the share name and the folders below it. `hidden`: entries not shown because the
// page would grow too long.
std::string RenderFolder(const PageReader& reader, const std::vector<std::string>& components,
                         const std::vector<FolderEntry>& entries, const FolderView& view,
                         std::size_t hidden);

// AskOwner: the owner answers on the host itself, so the page only offers to look again.
enum class WaitingState { AskCode, AskOwner, WrongCode, Refused };
std::string RenderWaiting(const PageReader& reader, WaitingState state);

// A short page for 400, 404 and the like.
std::string RenderMessage(const PageReader& reader, const char* englishMessage);

// The link of a folder ("/s/share/a/b/") or a file ("/s/share/a/f.txt") from its components.
std::string ShareLink(const std::vector<std::string>& components, bool folder);

}  // namespace web
