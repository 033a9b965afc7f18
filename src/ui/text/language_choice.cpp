#include "ui/text/language_choice.h"

#include "ui/text/ui_strings.h"

namespace ui {

const char* TranslateForCodes(const char* english, const std::vector<std::string>& codes) {
    for (const std::string& code : codes) {
        for (int i = 0; i < kLanguageCount; ++i) {
            const auto language = static_cast<Language>(i);
            if (code == LanguageCode(language)) return Translate(english, language);
        }
    }
    return english;
}

}  // namespace ui
