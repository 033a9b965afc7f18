// Questions to the user: a modal message with the product name as caption and a question icon.
#pragma once

#include <string>

#include "ui/desktop/close_rules.h"

namespace ui {

// YesNoRefuseAll: a third button refuses this and every further unknown host for the session
// (Answer::NoToAll).
enum class PromptButtons { YesNo, YesNoCancel, YesNoRefuseAll };

// Which question is asked, so that a front end without a user can answer it without reading the
// (translated) text.
enum class Question {
    UnknownHostWantsDownload,
    ExitWhileTransferring,
    FileExists,
    FolderExists,
    BrowserWantsShares,
};

// A question that would let another host in must not be answered by a key meant for something
// else (Return in the chat line as it opens): its default is No, and it takes no input for a
// moment after it appears.
struct PromptGuard {
    bool defaultNo = false;
    int inputDelayMs = 0;
};

inline PromptGuard GuardOf(Question question) {
    if (question == Question::UnknownHostWantsDownload ||
        question == Question::BrowserWantsShares) {
        return {true, 1000};
    }
    return {};
}

class PromptView {
public:
    virtual ~PromptView() = default;

    // Shows `text` and waits for the answer. Closing the message without a button counts as No
    // for YesNo and as Cancel for YesNoCancel.
    virtual Answer Ask(Question question, const std::string& text, PromptButtons buttons) = 0;
    // A standing note of questions refused without asking; a front end without a status line
    // has nowhere to show it.
    virtual void ShowRefusalNote(const std::string& /*text*/) {}
    // False when the answers come from settings, not from a person: nobody is then bothered by
    // questions, and none needs to be held back.
    virtual bool AsksAPerson() const { return true; }
};

}  // namespace ui
