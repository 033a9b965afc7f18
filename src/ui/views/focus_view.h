// Which control has the keyboard focus; the download and menu rules depend on it.
#pragma once

#include "ui/desktop/focus_order.h"

namespace ui {

class FocusView {
public:
    virtual ~FocusView() = default;

    // Tree, FileList, TransferList, ChatInput, SendButton, MainWindow, or Other / None.
    virtual FocusTarget FocusedControl() const = 0;
};

}  // namespace ui
