// The Download command: what the selection offers, where it goes, and the questions about files
// and folders that exist already.
#include <filesystem>
#include <fstream>

#include "client/walk_paths.h"
#include "core/settings_keys.h"
#include "ui/controller/lumvale_dialog.h"
#include "ui/controller/shown_text.h"
#include "ui/desktop/share_checks.h"
#include "ui/text/ui_strings.h"
#include "ui/transfers/transfer_paths.h"
#include "ui/transfers/transfers.h"

namespace ui {

namespace {

bool CanOpenForReading(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return file.is_open();
}

}  // namespace

bool CLumvaleDialog::CanDownload() const {
    const CNetNode* node = views_.tree.SelectedNode();
    if (node == nullptr) return false;
    // One does not download from oneself, except to try things out.
    if (!options_.debugFeatures && node->IsLocalHost()) return false;
    switch (Focus()) {
        case FocusTarget::FileList:
            return !fileList_.SelectedNodes().empty();
        case FocusTarget::Tree:
            return !node->IsHost();
        default:
            return false;
    }
}

void CLumvaleDialog::Download(bool useLastFolder) {
    if (!Running()) return;
    if (!CanDownload()) return;
    // Everything needed is copied out of the tree first: while the folder browser and the
    // questions are open, arriving listings may replace the nodes.
    const CNetNode& node = *views_.tree.SelectedNode();
    DownloadRequest request{node.GetAddress(), node.GetPath(), {}};
    if (Focus() == FocusTarget::FileList) {
        for (const CNetNode* row : fileList_.SelectedNodes()) {
            if (!transfers_->IsBeingDownloaded(request.address,
                                               request.nodePath + row->GetName())) {
                request.items.push_back(
                    {row->GetName(), row->GetName(), row->IsFolder(), row->GetSize()});
            }
        }
    } else if (!transfers_->IsBeingDownloaded(request.address, request.nodePath)) {
        // The empty name stands for the selected node itself.
        request.items.push_back({std::string(), node.GetName(), node.IsFolder(), node.GetSize()});
    }
    if (request.items.empty()) return;
    const auto targetFolder = ChooseTargetFolder(useLastFolder);
    if (!targetFolder || !Running()) return;
    StartDownloads(request, *targetFolder);
}

std::optional<std::string> CLumvaleDialog::ChooseTargetFolder(bool useLastFolder) {
    std::string folder;
    settings_.GetString(settings_keys::kGlobal, settings_keys::kLastDownloadPath, folder, "");
    if (useLastFolder && !folder.empty() && IsExistingFolder(folder)) {
        return WithTrailingSeparator(folder);
    }
    std::string chosen;
    if (!views_.folders.ChooseFolder(Text(StringId::SelectTargetFolder), folder, chosen) ||
        chosen.empty()) {
        return std::nullopt;
    }
    chosen = WithTrailingSeparator(chosen);
    settings_.SetString(settings_keys::kGlobal, settings_keys::kLastDownloadPath, chosen);
    return chosen;
}

void CLumvaleDialog::StartDownloads(const DownloadRequest& request,
                                    const std::string& targetFolder) {
    for (const DownloadItem& item : request.items) {
        // Names come from the other host: one that is no plain file name is not written.
        if (client::CheckRemoteName(item.localName) != client::NameProblem::None) continue;
        const std::string localPath = targetFolder + item.localName;
        std::optional<Question> question;
        std::error_code error;
        if (std::filesystem::is_directory(localPath, error)) {
            question = Question::FolderExists;
        } else if (CanOpenForReading(localPath)) {
            question = Question::FileExists;
        }
        if (question) {
            const StringId text =
                *question == Question::FolderExists ? StringId::FolderExists : StringId::FileExists;
            const Answer answer =
                views_.prompt.Ask(*question, FormatText(text, {ShownName(item.localName)}),
                                  PromptButtons::YesNoCancel);
            if (answer == Answer::Cancel || !Running()) break;
            if (answer == Answer::No) continue;
        }
        const std::string remotePath = request.nodePath + item.name;
        if (item.folder) {
            transfers_->StartFolderDownload(request.address, remotePath, targetFolder);
        } else {
            transfers_->StartFileDownload(request.address, remotePath, item.localName, targetFolder,
                                          item.size);
        }
    }
    // Kept at once: a kill a moment later loses none of them.
    if (Running()) transfers_->FlushUnfinished();
}

}  // namespace ui
