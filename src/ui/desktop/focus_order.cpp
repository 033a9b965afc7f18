#include "ui/desktop/focus_order.h"

namespace ui {

FocusTarget NextFocus(FocusTarget current, bool forward) {
    switch (current) {
        case FocusTarget::MainWindow:
            return forward ? FocusTarget::Tree : FocusTarget::TransferList;
        case FocusTarget::Tree:
            return forward ? FocusTarget::FileList : FocusTarget::TransferList;
        case FocusTarget::FileList:
            return forward ? FocusTarget::ChatInput : FocusTarget::Tree;
        case FocusTarget::ChatInput:
            return forward ? FocusTarget::SendButton : FocusTarget::FileList;
        case FocusTarget::SendButton:
            return forward ? FocusTarget::TransferList : FocusTarget::ChatInput;
        case FocusTarget::TransferList:
            return forward ? FocusTarget::Tree : FocusTarget::SendButton;
        case FocusTarget::None:
        case FocusTarget::Other:
            break;
    }
    return FocusTarget::None;
}

bool SelectsFirstRowOnFocus(FocusTarget target) {
    return target == FocusTarget::FileList || target == FocusTarget::TransferList;
}

}  // namespace ui
