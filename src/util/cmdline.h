// The command-line reader: splits the process's command line into switches ("-name" or "/name",
// optionally ":item,item") and plain arguments, in command-line order.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// One switch or plain argument.
struct XUtilOption {
    // Set for a switch (possibly empty for a lone "-"); absent for a plain argument.
    std::optional<std::string> name;
    // Plain argument: the token without its enclosing quotes. Switch: the raw text after the first
    // colon; absent when the switch has no colon.
    std::optional<std::string> value;
    // Switch value split at its commas; empty for a plain argument or a switch without a value.
    std::vector<std::string> items;
};

using XUtilOptionList = std::vector<XUtilOption>;

// Never fails: any text yields a list, possibly empty.
XUtilOptionList xUtilParseCommandLine(std::string_view commandLine);

// The first switch named `name` (ASCII case ignored), or null. Plain arguments never match.
const XUtilOption* xUtilFindOption(const XUtilOptionList& options, std::string_view name);

// Releases the entries and their memory.
void xUtilFreeOptions(XUtilOptionList& options);

// Splits a comma-separated text into its items, each without its enclosing quotes. A comma
// between double quotes belongs to the item. An empty item ends the list for every reader, so the
// result holds only the items before the first empty one.
std::vector<std::string> xUtilSplitItems(const char* text, std::size_t length);
std::vector<std::string> xUtilSplitItems(std::string_view text);
