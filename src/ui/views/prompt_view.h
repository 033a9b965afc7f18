// Questions to the user: a modal message with the product name as caption and a question icon.
#pragma once

#include <string>

#include "ui/desktop/close_rules.h"

namespace ui {

enum class PromptButtons { YesNo, YesNoCancel };

// Which question is asked, so that a front end without a user can answer it without reading the
// (translated) text.
enum class Question { UnknownHostWantsDownload, ExitWhileTransferring, FileExists, FolderExists };

class PromptView {
public:
    virtual ~PromptView() = default;

    // Shows `text` and waits for the answer. Closing the message without a button counts as No
    // for YesNo and as Cancel for YesNoCancel.
    virtual Answer Ask(Question question, const std::string& text, PromptButtons buttons) = 0;
};

}  // namespace ui
