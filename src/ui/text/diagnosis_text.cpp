#include "ui/text/diagnosis_text.h"

#include <vector>

#include "ui/text/ui_strings.h"

namespace ui {

std::string ShowText(const diagnosis::Text& text) {
    if (text.empty()) return {};
    const std::vector<FormatArg> args(text.args.begin(), text.args.end());
    return FormatText(Translate(text.format.c_str()), args);
}

}  // namespace ui
