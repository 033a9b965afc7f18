#include "ui/text/ui_strings.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cstdlib>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "ui/text/catalogue_folders.h"
#include "ui/text/message_catalogue.h"
#include "ui/text/source_texts.h"

namespace ui {

namespace {

std::atomic<Language>& LanguageSetting() {
    static std::atomic<Language> language{LanguageFromEnvironment()};
    return language;
}

bool IsLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

char Lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

std::optional<Language> KnownLanguage(std::string_view localeName) {
    // The language is the leading two letters, ended by "_", ".", "@", "-" or the end.
    if (localeName.size() < 2 || !IsLetter(localeName[0]) || !IsLetter(localeName[1])) {
        return std::nullopt;
    }
    if (localeName.size() > 2 && IsLetter(localeName[2])) return std::nullopt;
    const char code[2] = {Lower(localeName[0]), Lower(localeName[1])};
    for (int i = 0; i < kLanguageCount; ++i) {
        const char* candidate = LanguageCode(static_cast<Language>(i));
        if (candidate[0] == code[0] && candidate[1] == code[1]) return static_cast<Language>(i);
    }
    return std::nullopt;
}

// Each catalogue is read once, on first use, and kept for the life of the program: the texts it
// hands out must stay valid.
const MessageCatalogue* CatalogueOf(Language language) {
    static std::array<std::once_flag, kLanguageCount> loaded;
    static std::array<std::optional<MessageCatalogue>, kLanguageCount> catalogues;
    const auto index = static_cast<std::size_t>(language);
    std::call_once(loaded[index], [&] {
        for (const std::filesystem::path& folder : CatalogueFolders()) {
            catalogues[index] =
                MessageCatalogue::Load(CatalogueFile(folder, LanguageCode(language)));
            if (catalogues[index]) return;
        }
    });
    return catalogues[index] ? &*catalogues[index] : nullptr;
}

}  // namespace

const char* Text(StringId id, Language language) {
    const int index = static_cast<int>(id);
    if (index < 0 || index >= kStringCount) return "";
    return Translate(kSourceTexts[static_cast<std::size_t>(index)].english, language);
}

const char* Translate(const char* english, Language language) {
    const auto column = static_cast<int>(language);
    if (english == nullptr || column < 0 || column >= kLanguageCount) return "";
    if (language == Language::English) return english;
    const MessageCatalogue* catalogue = CatalogueOf(language);
    const char* translated = catalogue ? catalogue->Find(english) : nullptr;
    return translated && *translated ? translated : english;
}

const char* Translate(const char* english) {
    return Translate(english, CurrentLanguage());
}

const char* Text(StringId id) {
    return Text(id, CurrentLanguage());
}

Language CurrentLanguage() {
    return LanguageSetting().load(std::memory_order_relaxed);
}

void SetCurrentLanguage(Language language) {
    LanguageSetting().store(language, std::memory_order_relaxed);
}

Language LanguageFromLocaleName(std::string_view localeName) {
    return KnownLanguage(localeName).value_or(Language::English);
}

Language LanguageFromEnvironment() {
    if (const char* list = std::getenv("LANGUAGE")) {
        std::string_view rest = list;
        while (!rest.empty()) {
            const std::size_t colon = rest.find(':');
            if (const auto language = KnownLanguage(rest.substr(0, colon))) return *language;
            rest = colon == std::string_view::npos ? std::string_view() : rest.substr(colon + 1);
        }
    }
    for (const char* variable : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(variable);
        if (value && *value) return LanguageFromLocaleName(value);
    }
    return Language::English;
}

const char* LanguageCode(Language language) {
    switch (language) {
        case Language::Spanish:
            return "es";
        case Language::German:
            return "de";
        case Language::English:
            break;
        case Language::French:
            return "fr";
        case Language::Italian:
            return "it";
        case Language::Dutch:
            return "nl";
    }
    return "en";
}

namespace {

// A placeholder at `at`: "%%", "%s", "%i", "%d", "%u", or one of those with its argument's
// position, "%2$s" (positions count from 1). Length 0 when there is none.
struct Placeholder {
    std::size_t length = 0;
    std::size_t position = 0;  // 0: the next argument in order
    char conversion = 0;
};

bool IsConversion(char c) {
    return c == 's' || c == 'i' || c == 'd' || c == 'u';
}

Placeholder ReadPlaceholder(std::string_view text, std::size_t at) {
    if (text[at] != '%' || at + 1 >= text.size()) return {};
    if (text[at + 1] == '%') return {2, 0, '%'};
    if (IsConversion(text[at + 1])) return {2, 0, text[at + 1]};
    // Positions of one or two digits: no text of ours has more arguments.
    std::size_t end = at + 1;
    std::size_t position = 0;
    while (end < text.size() && end < at + 3 && text[end] >= '0' && text[end] <= '9') {
        position = position * 10 + static_cast<std::size_t>(text[end] - '0');
        ++end;
    }
    if (position == 0 || end + 1 >= text.size() || text[end] != '$' ||
        !IsConversion(text[end + 1])) {
        return {};
    }
    return {end + 2 - at, position, text[end + 1]};
}

// Arguments by position: a translation may put them in another order than the English text.
template <typename Iterator>
std::string FormatWith(std::string_view format, Iterator first, Iterator end) {
    const auto count = static_cast<std::size_t>(end - first);
    std::string result;
    result.reserve(format.size());
    std::size_t sequential = 0;
    for (std::size_t i = 0; i < format.size(); ++i) {
        const Placeholder found = ReadPlaceholder(format, i);
        if (found.length == 0) {
            result += format[i];
            continue;
        }
        if (found.conversion == '%') {
            result += '%';
        } else {
            const std::size_t position = found.position > 0 ? found.position - 1 : sequential++;
            if (position < count) result += (first + static_cast<std::ptrdiff_t>(position))->text();
        }
        i += found.length - 1;
    }
    return result;
}

}  // namespace

std::string FormatText(std::string_view format, std::initializer_list<FormatArg> args) {
    return FormatWith(format, args.begin(), args.end());
}

std::string FormatText(std::string_view format, const std::vector<FormatArg>& args) {
    return FormatWith(format, args.begin(), args.end());
}

std::string FormatText(StringId id, std::initializer_list<FormatArg> args) {
    return FormatText(Text(id), args);
}

std::string PlaceholderSignature(std::string_view text) {
    std::vector<std::string> placeholders;
    std::size_t sequential = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const Placeholder found = ReadPlaceholder(text, i);
        if (found.length == 0) continue;
        if (found.conversion == '%') {
            placeholders.emplace_back("%%");
        } else {
            const std::size_t position = found.position > 0 ? found.position : ++sequential;
            placeholders.push_back('%' + std::to_string(position) + '$' + found.conversion);
        }
        i += found.length - 1;
    }
    std::sort(placeholders.begin(), placeholders.end());
    std::string signature;
    for (const std::string& placeholder : placeholders) signature += placeholder;
    return signature;
}

}  // namespace ui
