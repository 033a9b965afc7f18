// Tab and Shift+Tab move the keyboard focus around the main window's controls in a fixed ring.
#pragma once

namespace ui {

enum class FocusTarget {
    None,  // no control: focus is cleared
    MainWindow,
    Tree,
    FileList,
    ChatInput,
    SendButton,
    TransferList,
    SearchBox,
    SearchResults,  // the search's result list, shown in the file list's place
    Other,          // any control outside the ring
};

// Forward: main window or transfer list -> tree -> file list -> chat input -> Send ->
// transfer list. Backward the reverse, and from the main window to the transfer list. While the
// search results are shown they take the file list's place; the search box leads forward into
// them (or to the tree) and back to the transfer list. From any other control the focus is
// cleared (None).
FocusTarget NextFocus(FocusTarget current, bool forward, bool searchResultsShown = false);

// Moving into a list with no selected row selects its first row, so the focus is visible.
bool SelectsFirstRowOnFocus(FocusTarget target);

}  // namespace ui
