#include "ui/controller/file_list_presenter.h"

#include "ui/text/ui_strings.h"

namespace ui {
namespace {

EntryKind KindOf(const CNetNode& node) {
    if (!node.IsFolder()) return EntryKind::File;
    return node.IsShare() ? EntryKind::Share : EntryKind::Folder;
}

}  // namespace

void FileListPresenter::Fill() {
    CNetNode* node = tree_.SelectedNode();
    view_.Clear();
    rows_.clear();
    filled_ = node != nullptr;
    // A cut listing must not pass for the whole folder (or the whole share list of a host).
    const std::size_t leftOut = node != nullptr ? node->GetListingLeftOut() : 0;
    view_.SetStatusText(leftOut > 0 ? FormatText(StringId::ListingCut, {std::to_string(leftOut)})
                                    : std::string());
    // Without a node nothing is shown, so that no row outlives the node it stands for.
    if (node == nullptr) return;
    address_ = node->GetAddress();
    path_ = node->GetPath();
    node->SortChildren(sort_.Column(), sort_.Ascending());
    for (const auto& child : node->GetChildren()) {
        const FileListRow row =
            MakeFileListRow(child->GetName(), KindOf(*child), child->GetSize(), numbers_);
        view_.AddRow(row.name, row.sizeText, row.image);
        rows_.push_back(child.get());
    }
}

void FileListPresenter::SortByColumn(int column) {
    const FileListSort::Change change = sort_.Click(column);
    if (change.clearedColumn) view_.SetSortMark(*change.clearedColumn, SortMark::None);
    view_.SetSortMark(change.markedColumn, change.mark);
    Fill();
}

void FileListPresenter::RefreshAfterChange(Ipv4 address, const std::string& path) {
    if (!filled_ || address_ != address) return;
    if (path_.compare(0, path.size(), path) != 0) return;
    Fill();
}

std::vector<CNetNode*> FileListPresenter::SelectedNodes() const {
    std::vector<CNetNode*> nodes;
    for (const std::size_t row : view_.SelectedRows()) {
        if (row < rows_.size()) nodes.push_back(rows_[row]);
    }
    return nodes;
}

}  // namespace ui
