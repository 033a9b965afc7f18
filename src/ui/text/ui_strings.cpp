#include "ui/text/ui_strings.h"

#include <atomic>
#include <cstdlib>

#include "ui/text/ui_strings_table.h"

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

}  // namespace

const char* Text(StringId id, Language language) {
    const int index = static_cast<int>(id);
    const int column = static_cast<int>(language);
    if (index < 0 || index >= kStringCount || column < 0 || column >= kLanguageCount) return "";
    return kTextRows[static_cast<std::size_t>(index)].text[static_cast<std::size_t>(column)];
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
    // The language is the leading two letters, ended by "_", ".", "@", "-" or the end.
    if (localeName.size() < 2 || !IsLetter(localeName[0]) || !IsLetter(localeName[1])) {
        return Language::English;
    }
    if (localeName.size() > 2 && IsLetter(localeName[2])) return Language::English;
    const char code[2] = {Lower(localeName[0]), Lower(localeName[1])};
    for (int i = 0; i < kLanguageCount; ++i) {
        const char* candidate = LanguageCode(static_cast<Language>(i));
        if (candidate[0] == code[0] && candidate[1] == code[1]) return static_cast<Language>(i);
    }
    return Language::English;
}

Language LanguageFromEnvironment() {
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

std::string FormatText(std::string_view format, std::initializer_list<FormatArg> args) {
    std::string result;
    result.reserve(format.size());
    auto next = args.begin();
    for (std::size_t i = 0; i < format.size(); ++i) {
        const char c = format[i];
        if (c != '%' || i + 1 >= format.size()) {
            result += c;
            continue;
        }
        const char conversion = format[++i];
        if (conversion == '%') {
            result += '%';
        } else if (conversion == 's' || conversion == 'i' || conversion == 'd' ||
                   conversion == 'u') {
            if (next != args.end()) result += (next++)->text();
        } else {
            result += '%';
            result += conversion;
        }
    }
    return result;
}

std::string FormatText(StringId id, std::initializer_list<FormatArg> args) {
    return FormatText(Text(id), args);
}

std::string PlaceholderSignature(std::string_view text) {
    std::string signature;
    for (std::size_t i = 0; i + 1 < text.size(); ++i) {
        if (text[i] != '%') continue;
        signature += text.substr(i, 2);
        ++i;
    }
    return signature;
}

}  // namespace ui
