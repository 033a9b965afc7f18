// A compiled gettext catalogue (.mo), read whole into memory. We read it ourselves rather than
// through glibc's gettext: that one follows the process locale, which needs the user's locale to
// be generated on the system, and cannot answer for a language other than the current one.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

namespace ui {

class MessageCatalogue {
public:
    // The catalogue in `bytes`, or nothing when they are not a well-formed .mo file.
    static std::optional<MessageCatalogue> Parse(std::string_view bytes);
    // The catalogue in a file, or nothing when it cannot be read or is not well formed.
    static std::optional<MessageCatalogue> Load(const std::filesystem::path& file);

    // The translation of `english`, or null when the catalogue has none.
    const char* Find(std::string_view english) const;
    std::size_t Size() const { return translations_.size(); }

private:
    std::unordered_map<std::string, std::string> translations_;
};

}  // namespace ui
