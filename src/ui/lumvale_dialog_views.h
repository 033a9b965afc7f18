// Everything a front end hands the main-window controller: its views, its clock and its way onto
// the UI thread. The Qt GUI and the headless daemon each implement these interfaces.
#pragma once

#include "model/tree_sink.h"
#include "ui/chat_view.h"
#include "ui/clock.h"
#include "ui/dispatcher.h"
#include "ui/file_list_view.h"
#include "ui/focus_view.h"
#include "ui/folder_chooser_view.h"
#include "ui/prompt_view.h"
#include "ui/sound_view.h"
#include "ui/transfer_list_view.h"
#include "ui/tree_view.h"

namespace ui {

struct ControllerViews {
    // The model drives the tree's items through it.
    TreeSink& treeSink;
    TreeView& tree;
    FileListView& files;
    TransferListView& transfers;
    ChatView& chat;
    PromptView& prompt;
    FolderChooserView& folders;
    SoundView& sound;
    FocusView& focus;
    Clock& clock;
    Dispatcher& dispatcher;
};

}  // namespace ui
