// The text of one INI file as lines, with the lookups and edits of the profile functions. Lines
// the store does not understand (comments, blank lines, text outside any section) are kept as they
// are, so a rewrite changes only the line it means to change.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace utilcpp {

class IniDocument {
public:
    static IniDocument Parse(std::string_view text);
    std::string Serialize() const;

    // The value of the first matching key in the first matching section.
    std::optional<std::string> Find(std::string_view section, std::string_view key) const;
    // "key=value" for every key line of the first matching section, in file order; of keys that
    // differ only in case, the first (the one Find returns).
    std::vector<std::string> SectionLines(std::string_view section) const;

    // Replaces the value of an existing key (keeping the key's stored spelling) or appends the
    // key to its section, appending the section to the file when it is missing. A value with
    // blanks at either end, or one enclosed in quotes, is stored quoted so that Find returns it
    // unchanged.
    void Set(std::string_view section, std::string_view key, std::string_view value);
    // True when a line was removed.
    bool Erase(std::string_view section, std::string_view key);

    // Whether a name or value can be stored and read back as the same text. Line ends would
    // split the entry, "]" ends a section name, "=" ends a key, and a key line that begins
    // with "[" or ";" reads as a section or a comment.
    static bool IsStorableSection(std::string_view section);
    static bool IsStorableKey(std::string_view key);
    static bool IsStorableValue(std::string_view value);

private:
    struct Line {
        std::string text;  // as in the file, without its line end
    };

    // [first, last) line indexes of a section's body, after its header line.
    struct Range {
        std::size_t header;
        std::size_t first;
        std::size_t last;
    };

    std::optional<Range> FindSection(std::string_view section) const;
    std::optional<std::size_t> FindKey(const Range& range, std::string_view key) const;

    std::vector<Line> lines_;
    bool byteOrderMark_ = false;
    bool crlf_ = false;
};

}  // namespace utilcpp
