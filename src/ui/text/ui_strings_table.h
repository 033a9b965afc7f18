// Internal to the string table: the rows behind ui::Text.
#pragma once

#include <array>

#include "ui/text/ui_strings.h"

namespace ui {

struct TextRow {
    StringId id;
    std::array<const char*, kLanguageCount> text;  // in the order of Language
};

// Row i holds the texts of StringId i (the tests check it).
extern const std::array<TextRow, kStringCount> kTextRows;

}  // namespace ui
