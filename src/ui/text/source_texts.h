// The English texts behind ui::Text; they are also the keys of the translation catalogues.
#pragma once

#include <array>

#include "ui/text/ui_strings.h"

namespace ui {

struct SourceText {
    StringId id;
    const char* english;
};

// Row i holds the text of StringId i (the tests check it).
extern const std::array<SourceText, kStringCount> kSourceTexts;

}  // namespace ui
