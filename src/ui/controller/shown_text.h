// What the views show of texts that other hosts chose. Every name (hosts, shares, folders,
// files) and every chat text passes through here, so that none of them can reorder the text
// around it, break a line the view keeps as one, or hold the window up by its size.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

#include "ui/controller/lumvale_dialog_views.h"

namespace ui {

// A chat text beyond this many bytes is cut: chat texts are short (the input line takes 1,023
// characters), and a text view lays out a long line slowly.
inline constexpr std::size_t kMaxShownChatText = 4096;

// A name as the views show it: control characters and bidirectional controls become "?".
std::string ShownName(std::string_view name);

// A received chat text as the history shows it: one line, its first kMaxShownChatText bytes,
// with a note of how much was left out when it was cut.
std::string ShownChatText(std::string_view text);

// Views that clean every name they are handed before the front end's views show it.
class ShownTextViews {
public:
    explicit ShownTextViews(const ControllerViews& views);
    ShownTextViews(const ShownTextViews&) = delete;
    ShownTextViews& operator=(const ShownTextViews&) = delete;
    ~ShownTextViews();

    // The front end's views with the tree, the file list and the transfer list behind cleaners.
    ControllerViews Views();

private:
    class Tree;
    class Files;
    class TransferRows;

    ControllerViews inner_;
    std::unique_ptr<Tree> tree_;
    std::unique_ptr<Files> files_;
    std::unique_ptr<TransferRows> transfers_;
};

}  // namespace ui
