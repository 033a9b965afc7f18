// The diagnosis's texts in the language in use.
#pragma once

#include <string>

#include "diagnosis/finding.h"

namespace ui {

std::string ShowText(const diagnosis::Text& text);

}  // namespace ui
