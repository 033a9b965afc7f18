#include "ui/desktop/close_rules.h"

namespace ui {

bool CloseNeedsQuestion(const RunningTransfers& running) {
    return running.downloads != 0 || running.uploads != 0 || running.folderDownloads != 0;
}

bool MayProceed(bool questionNeeded, Answer answer) {
    return !questionNeeded || answer == Answer::Yes;
}

}  // namespace ui
