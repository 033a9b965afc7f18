// Everything a front end hands the main-window controller: its views, its clock and its way onto
// the UI thread. The Qt GUI and the headless daemon each implement these interfaces.
#pragma once

#include "model/tree_sink.h"
#include "ui/controller/dispatcher.h"
#include "ui/views/chat_view.h"
#include "ui/views/clock.h"
#include "ui/views/file_list_view.h"
#include "ui/views/focus_view.h"
#include "ui/views/folder_chooser_view.h"
#include "ui/views/prompt_view.h"
#include "ui/views/search_view.h"
#include "ui/views/sound_view.h"
#include "ui/views/transfer_list_view.h"
#include "ui/views/tree_view.h"

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
    // The search box's result list; a front end without one leaves it out.
    SearchView* search = nullptr;
};

}  // namespace ui
