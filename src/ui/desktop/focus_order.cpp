#include "ui/desktop/focus_order.h"

namespace ui {

FocusTarget NextFocus(FocusTarget current, bool forward, bool searchResultsShown) {
    const FocusTarget list =
        searchResultsShown ? FocusTarget::SearchResults : FocusTarget::FileList;
    switch (current) {
        case FocusTarget::MainWindow:
            return forward ? FocusTarget::Tree : FocusTarget::TransferList;
        case FocusTarget::Tree:
            return forward ? list : FocusTarget::TransferList;
        case FocusTarget::FileList:
        case FocusTarget::SearchResults:
            return forward ? FocusTarget::ChatInput : FocusTarget::Tree;
        case FocusTarget::ChatInput:
            return forward ? FocusTarget::SendButton : list;
        case FocusTarget::SendButton:
            return forward ? FocusTarget::TransferList : FocusTarget::ChatInput;
        case FocusTarget::TransferList:
            return forward ? FocusTarget::Tree : FocusTarget::SendButton;
        case FocusTarget::SearchBox:
            return forward ? (searchResultsShown ? list : FocusTarget::Tree)
                           : FocusTarget::TransferList;
        case FocusTarget::None:
        case FocusTarget::Other:
            break;
    }
    return FocusTarget::None;
}

bool SelectsFirstRowOnFocus(FocusTarget target) {
    return target == FocusTarget::FileList || target == FocusTarget::TransferList ||
           target == FocusTarget::SearchResults;
}

}  // namespace ui
