// The texts of the web view, in the language its reader's browser asks for, through the program's
// catalogues (which the front end that starts the view hands in).
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace web {

// Marks an English text for the catalogues; Page::Text translates it.
constexpr const char* N_(const char* english) {
    return english;
}

// Translates `english` into the first of `languages` (two-letter codes, most wanted first) that
// the catalogues have; `english` itself otherwise.
using Translator =
    std::function<const char*(const char* english, const std::vector<std::string>& languages)>;

// The two-letter codes of an Accept-Language header, by falling weight ("de-CH, fr;q=0.8" ->
// "de", "fr"); languages with weight 0 are left out, and so is "*". At most 8.
std::vector<std::string> AcceptedLanguages(std::string_view header);

// Replaces each "%s" in turn by the next argument.
std::string FillIn(std::string_view text, const std::vector<std::string>& arguments);

// Escapes the characters that mean something in HTML text and attribute values.
std::string EscapeHtml(std::string_view text);

}  // namespace web
