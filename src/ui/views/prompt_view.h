// Questions to the user: a modal message with the product name as caption and a question icon.
#pragma once

#include <string>

#include "ui/desktop/close_rules.h"

namespace ui {

enum class PromptButtons { YesNo, YesNoCancel };

class PromptView {
public:
    virtual ~PromptView() = default;

    // Shows `text` and waits for the answer. Closing the message without a button counts as No
    // for YesNo and as Cancel for YesNoCancel.
    virtual Answer Ask(const std::string& text, PromptButtons buttons) = 0;
};

}  // namespace ui
