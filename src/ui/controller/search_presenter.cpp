#include "ui/controller/search_presenter.h"

#include <ctime>

#include "client/walk_paths.h"
#include "ui/controller/file_list_rows.h"
#include "ui/controller/shown_text.h"
#include "ui/text/ui_strings.h"

namespace ui {

namespace {

// A host path is 259 characters at most in the common protocol; a little more is tolerated.
constexpr std::size_t kMaxHitPathLength = 1024;

std::string ModifiedText(const std::optional<std::int64_t>& modified) {
    if (!modified) return {};
    const auto when = static_cast<std::time_t>(*modified);
    std::tm local{};
    if (localtime_r(&when, &local) == nullptr) return {};
    char text[32];
    const std::size_t length = std::strftime(text, sizeof text, "%Y-%m-%d %H:%M", &local);
    return std::string(text, length);
}

}  // namespace

bool IsAcceptableHitPath(const std::string& path) {
    if (path.size() < 2 || path.size() > kMaxHitPathLength || path.front() != '\\') return false;
    std::size_t start = 1;
    while (start <= path.size()) {
        const std::size_t end = std::min(path.find('\\', start), path.size());
        const std::string_view name(path.data() + start, end - start);
        if (client::CheckRemoteName(name) != client::NameProblem::None) return false;
        start = end + 1;
    }
    return true;
}

void SearchPresenter::Begin() {
    running_.clear();
    rows_.clear();
    asked_ = answered_ = found_ = 0;
    shown_ = true;
    if (view_ == nullptr) return;
    view_->ClearResults();
    view_->ShowResultList(true);
    ShowStatus();
}

void SearchPresenter::Asking(SearchId id, Ipv4 address, const std::string& hostName) {
    running_[id] = {address, hostName};
    ++asked_;
    ShowStatus();
}

bool SearchPresenter::OnReply(SearchId id, const SearchReply& reply) {
    const auto found = running_.find(id);
    if (found == running_.end()) return false;
    const Host host = found->second;
    running_.erase(found);
    ++answered_;
    const std::string hostText = ShownName(host.name);
    std::vector<SearchRow> shown;
    auto note = [&](const std::string& text) {
        if (rows_.size() >= kMaxSearchRows) return;
        shown.push_back({{}, {}, {}, {}, 0, text});
        rows_.emplace_back(std::nullopt);
    };
    switch (reply.outcome) {
        case SearchOutcome::CannotSearch:
            note(FormatText(Translate("%s cannot search: its program does not offer searching."),
                            {hostText}));
            break;
        case SearchOutcome::NoAnswer:
            note(FormatText(Translate("%s did not answer."), {hostText}));
            break;
        case SearchOutcome::Answered: {
            std::size_t taken = 0;
            std::size_t skipped = reply.more;
            for (const SearchHit& hit : reply.hits) {
                if (taken == kMaxHitsPerHost || rows_.size() >= kMaxSearchRows) {
                    ++skipped;
                    continue;
                }
                if (!IsAcceptableHitPath(hit.path)) continue;
                const EntryKind kind = hit.folder ? EntryKind::Folder : EntryKind::File;
                shown.push_back({hostText,
                                 ShownName(hit.path),
                                 SizeColumnText(kind, hit.size, numbers_),
                                 ModifiedText(hit.modified),
                                 RowImage(kind),
                                 {}});
                rows_.emplace_back(SearchResult{host.address, hit});
                ++taken;
            }
            found_ += taken;
            if (skipped > 0) {
                note(FormatText(Translate("%s has %s more matches; a narrower pattern shows them."),
                                {hostText, std::to_string(skipped)}));
            }
            break;
        }
    }
    if (view_ != nullptr && !shown.empty()) view_->AddResultRows(shown);
    ShowStatus();
    return true;
}

std::vector<SearchId> SearchPresenter::TakeRunning() {
    std::vector<SearchId> ids;
    for (const auto& [id, host] : running_) ids.push_back(id);
    // Hosts that never answered count as answered no more; the line says how far it got.
    running_.clear();
    return ids;
}

void SearchPresenter::Hide() {
    shown_ = false;
    if (view_ != nullptr) view_->ShowResultList(false);
}

std::vector<SearchResult> SearchPresenter::SelectedResults() const {
    std::vector<SearchResult> results;
    if (view_ == nullptr || !shown_) return results;
    for (const std::size_t row : view_->SelectedResultRows()) {
        if (row < rows_.size() && rows_[row]) results.push_back(*rows_[row]);
    }
    return results;
}

void SearchPresenter::ShowStatus() {
    if (view_ == nullptr) return;
    if (asked_ == 0) {
        view_->SetSearchStatus(Translate("No computer to search."));
        return;
    }
    const std::string counts =
        FormatText(Translate("Found: %s. Answered: %s of %s computers."),
                   {std::to_string(found_), std::to_string(answered_), std::to_string(asked_)});
    view_->SetSearchStatus(running_.empty() ? counts : counts + " " + Translate("Searching…"));
}

}  // namespace ui
