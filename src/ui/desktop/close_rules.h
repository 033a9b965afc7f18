// When closing the window needs the user's consent because transfers would be cut off.
#pragma once

#include <cstddef>

#include "ui/text/ui_strings.h"

namespace ui {

struct RunningTransfers {
    std::size_t downloads = 0;
    std::size_t uploads = 0;
    std::size_t folderDownloads = 0;
};

// Closing asks (StringId::ExitWhileTransferring, Yes/No) while anything at all runs.
bool CloseNeedsQuestion(const RunningTransfers& running);

// NoToAll: no, and the same to every further unknown host (PromptButtons::YesNoRefuseAll).
enum class Answer { Yes, No, Cancel, NoToAll };

// Whether to go ahead after the question (only Yes does), or at once when none was needed.
bool MayProceed(bool questionNeeded, Answer answer);

}  // namespace ui
