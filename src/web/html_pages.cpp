#include "web/html_pages.h"

#include <algorithm>
#include <array>
#include <cstdio>

#include "web/http_headers.h"
#include "web/url_path.h"

namespace web {
namespace {

std::string Lower(std::string_view text) {
    std::string lower(text);
    for (char& c : lower) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return lower;
}

std::string FormatDate(std::time_t when) {
    std::tm local{};
    localtime_r(&when, &local);
    std::array<char, 32> text{};
    const std::size_t length = std::strftime(text.data(), text.size(), "%Y-%m-%d %H:%M", &local);
    return {text.data(), length};
}

std::string Head(const PageReader& reader, const std::string& title) {
    const std::string language = reader.languages.empty() ? "en" : reader.languages.front();
    return "<!DOCTYPE html>\n<html lang=\"" + EscapeHtml(language) +
           "\"><head><meta charset=\"utf-8\">"
           "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">"
           "<title>" +
           EscapeHtml(title) +
           "</title><link rel=\"stylesheet\" href=\"/_/style.css\">"
           "<link rel=\"icon\" href=\"/_/wendaro.svg\"></head><body>"
           "<header><img src=\"/_/wendaro.svg\" alt=\"\" width=\"28\" height=\"28\"><span>" +
           EscapeHtml(reader.hostName) + "</span></header><main>";
}

constexpr const char* kTail = "</main></body></html>\n";

std::string SortLink(const PageReader& reader, const std::vector<std::string>& components,
                     const FolderView& view, SortKey key, const char* english) {
    static constexpr std::array<const char*, 3> kKeys = {"name", "size", "date"};
    const bool current = view.sort == key;
    const bool descending = current && !view.descending;
    std::string link = ShareLink(components, true) + "?sort=" + kKeys[static_cast<int>(key)] +
                       "&amp;order=" + (descending ? "desc" : "asc");
    if (!view.filter.empty()) link += "&amp;q=" + PercentEncode(view.filter);
    std::string label = EscapeHtml(reader.Text(english));
    if (current) label += view.descending ? " &#9660;" : " &#9650;";
    return "<a class=\"sort" + std::string(current ? " current" : "") + "\" href=\"" + link +
           "\">" + label + "</a>";
}

}  // namespace

std::string PageReader::Text(const char* english) const {
    if (translator == nullptr || !*translator) return english;
    const char* translated = (*translator)(english, languages);
    return translated != nullptr ? translated : english;
}

FolderView ParseFolderView(const std::string& sort, const std::string& order,
                           const std::string& filter) {
    FolderView view;
    if (sort == "size") view.sort = SortKey::Size;
    if (sort == "date") view.sort = SortKey::Date;
    view.descending = order == "desc";
    view.filter = filter;
    return view;
}

void ArrangeEntries(std::vector<FolderEntry>& entries, const FolderView& view) {
    if (!view.filter.empty()) {
        const std::string wanted = Lower(view.filter);
        std::erase_if(entries, [&](const FolderEntry& entry) {
            return Lower(entry.name).find(wanted) == std::string::npos;
        });
    }
    std::stable_sort(entries.begin(), entries.end(),
                     [&](const FolderEntry& a, const FolderEntry& b) {
                         if (a.folder != b.folder) return a.folder;
                         bool less = false;
                         bool greater = false;
                         if (view.sort == SortKey::Size && a.size != b.size) {
                             less = a.size < b.size;
                             greater = !less;
                         } else if (view.sort == SortKey::Date && a.modified != b.modified) {
                             less = a.modified < b.modified;
                             greater = !less;
                         } else {
                             const std::string la = Lower(a.name), lb = Lower(b.name);
                             less = la < lb || (la == lb && a.name < b.name);
                             greater = la > lb || (la == lb && a.name > b.name);
                         }
                         return view.descending ? greater : less;
                     });
}

const char* FileIconFor(std::string_view fileName) {
    const std::string_view type = ContentTypeFor(fileName);
    if (type.starts_with("image/")) return "image";
    if (type.starts_with("audio/")) return "audio";
    if (type.starts_with("video/")) return "video";
    for (const std::string_view packed :
         {"application/zip", "application/gzip", "application/x-tar", "application/x-7z-compressed",
          "application/vnd.debian.binary-package", "application/vnd.android.package-archive",
          "application/x-iso9660-image"}) {
        if (type == packed) return "archive";
    }
    return "file";
}

std::string FormatSize(std::uint64_t bytes) {
    if (bytes < 1024) return std::to_string(bytes) + " B";
    static constexpr std::array<const char*, 5> kUnits = {"KB", "MB", "GB", "TB", "PB"};
    double value = static_cast<double>(bytes) / 1024;
    std::size_t unit = 0;
    while (value >= 1024 && unit + 1 < kUnits.size()) {
        value /= 1024;
        ++unit;
    }
    std::array<char, 32> text{};
    std::snprintf(text.data(), text.size(), "%.1f %s", value, kUnits[unit]);
    return text.data();
}

std::string ShareLink(const std::vector<std::string>& components, bool folder) {
    std::string link = "/s";
    for (const std::string& name : components) link += "/" + PercentEncode(name);
    if (folder) link += "/";
    return link;
}

std::string RenderShareList(const PageReader& reader, const std::vector<std::string>& shares) {
    std::string page = Head(reader, reader.hostName);
    page +=
        "<nav class=\"crumbs\"><span>" + EscapeHtml(reader.Text(N_("Shares"))) + "</span></nav>";
    if (shares.empty()) {
        page += "<p class=\"empty\">" +
                EscapeHtml(reader.Text(N_("This computer shares no folders."))) + "</p>";
    }
    page += "<ul class=\"entries\">";
    for (const std::string& share : shares) {
        page += "<li><a href=\"" + ShareLink({share}, true) +
                "\"><img src=\"/_/share.svg\" alt=\"\" width=\"24\" height=\"24\"><span "
                "class=\"name\">" +
                EscapeHtml(share) + "</span></a></li>";
    }
    page += "</ul>";
    return page + kTail;
}

std::string RenderFolder(const PageReader& reader, const std::vector<std::string>& components,
                         const std::vector<FolderEntry>& entries, const FolderView& view,
                         std::size_t hidden) {
    std::string page = Head(reader, components.back() + " - " + reader.hostName);
    page += "<nav class=\"crumbs\"><a href=\"/\">" + EscapeHtml(reader.Text(N_("Shares"))) + "</a>";
    std::vector<std::string> prefix;
    for (std::size_t i = 0; i < components.size(); ++i) {
        prefix.push_back(components[i]);
        page += "<span class=\"sep\">/</span>";
        if (i + 1 == components.size()) {
            page += "<span>" + EscapeHtml(components[i]) + "</span>";
        } else {
            page +=
                "<a href=\"" + ShareLink(prefix, true) + "\">" + EscapeHtml(components[i]) + "</a>";
        }
    }
    page += "</nav>";

    page += "<form class=\"tools\" method=\"get\" action=\"" + ShareLink(components, true) +
            "\"><input type=\"search\" name=\"q\" value=\"" + EscapeHtml(view.filter) +
            "\" placeholder=\"" + EscapeHtml(reader.Text(N_("Filter names"))) + "\" aria-label=\"" +
            EscapeHtml(reader.Text(N_("Filter names"))) + "\">";
    static constexpr std::array<const char*, 3> kKeys = {"name", "size", "date"};
    page += "<input type=\"hidden\" name=\"sort\" value=\"" +
            std::string(kKeys[static_cast<int>(view.sort)]) +
            "\"><input type=\"hidden\" name=\"order\" value=\"" +
            (view.descending ? "desc" : "asc") + "\"><button type=\"submit\">" +
            EscapeHtml(reader.Text(N_("Filter"))) + "</button></form>";

    std::string zipLink = ShareLink(components, false);
    zipLink.replace(0, 2, "/z");
    page += "<a class=\"zip\" href=\"" + zipLink +
            "/\" download><img src=\"/_/download.svg\" alt=\"\" "
            "width=\"16\" height=\"16\">" +
            EscapeHtml(reader.Text(N_("Download the folder as a ZIP archive"))) + "</a>";
    page += "<div class=\"sorts\">" +
            SortLink(reader, components, view, SortKey::Name, N_("Name")) +
            SortLink(reader, components, view, SortKey::Size, N_("Size")) +
            SortLink(reader, components, view, SortKey::Date, N_("Date")) + "</div>";

    if (entries.empty()) {
        page += "<p class=\"empty\">" +
                EscapeHtml(reader.Text(view.filter.empty() ? N_("This folder is empty.")
                                                           : N_("No name matches the filter."))) +
                "</p>";
    }
    page += "<ul class=\"entries\">";
    std::vector<std::string> path = components;
    for (const FolderEntry& entry : entries) {
        path.push_back(entry.name);
        const std::string link = ShareLink(path, entry.folder);
        path.pop_back();
        page += "<li><a href=\"" + link + "\"" + (entry.folder ? "" : " download") +
                "><img src=\"/_/" + (entry.folder ? "folder" : FileIconFor(entry.name)) +
                ".svg\" alt=\"\" width=\"24\" height=\"24\"><span class=\"name\">" +
                EscapeHtml(entry.name) + "</span><span class=\"meta\">" +
                (entry.folder ? std::string() : FormatSize(entry.size) + " &middot; ") +
                FormatDate(entry.modified) + "</span></a></li>";
    }
    page += "</ul>";
    if (hidden > 0) {
        page += "<p class=\"empty\">" +
                EscapeHtml(FillIn(reader.Text(N_("%s more entries are not shown; use the filter.")),
                                  {std::to_string(hidden)})) +
                "</p>";
    }
    return page + kTail;
}

std::string RenderWaiting(const PageReader& reader, WaitingState state) {
    std::string page = Head(reader, reader.hostName);
    page += "<section class=\"waiting\"><h1>" +
            EscapeHtml(reader.Text(N_("Waiting for the owner's permission"))) + "</h1>";
    if (state == WaitingState::AskOwner) {
        page += "<p>" +
                EscapeHtml(FillIn(reader.Text(N_("The owner of %s has been asked to let this "
                                                 "browser see the shares. Once they allowed it, "
                                                 "continue.")),
                                  {reader.hostName})) +
                "</p><p><a href=\"/\">" + EscapeHtml(reader.Text(N_("Continue"))) +
                "</a></p></section>";
        return page + kTail;
    }
    if (state != WaitingState::AskCode) {
        const char* why = state == WaitingState::WrongCode
                              ? N_("That code was wrong. Try again in a few seconds.")
                              : N_("%s did not let this browser in. Try again in a few seconds.");
        page += "<p class=\"error\">" + EscapeHtml(FillIn(reader.Text(why), {reader.hostName})) +
                "</p><p><a href=\"/\">" + EscapeHtml(reader.Text(N_("Try again"))) +
                "</a></p></section>";
        return page + kTail;
    }
    page += "<p>" +
            EscapeHtml(FillIn(reader.Text(N_("The owner of %s has been asked to let this browser "
                                             "see the shares. Type the code shown there:")),
                              {reader.hostName})) +
            "</p><form method=\"post\" action=\"/_/approve\"><input name=\"code\" "
            "inputmode=\"numeric\" autocomplete=\"one-time-code\" maxlength=\"6\" "
            "aria-label=\"" +
            EscapeHtml(reader.Text(N_("Code"))) + "\"><button type=\"submit\">" +
            EscapeHtml(reader.Text(N_("Continue"))) + "</button></form></section>";
    return page + kTail;
}

std::string RenderMessage(const PageReader& reader, const char* englishMessage) {
    return Head(reader, reader.hostName) + "<p class=\"empty\">" +
           EscapeHtml(reader.Text(englishMessage)) + "</p><p><a href=\"/\">" +
           EscapeHtml(reader.Text(N_("Shares"))) + "</a></p>" + kTail;
}

}  // namespace web
