// get HOST REMOTEPATH [DESTDIR]: one file, or a whole folder one file at a time.
#include <CLI/CLI.hpp>
#include <deque>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <ostream>

#include "cli/client_session.h"
#include "cli/command_context.h"
#include "cli/commands.h"
#include "cli/download_display.h"
#include "cli/download_paths.h"
#include "cli/folder_walk.h"
#include "cli/host_finder.h"
#include "cli/overwrite_question.h"
#include "cli/remote_listing.h"
#include "cli/remote_path.h"
#include "cli/signal_watch.h"
#include "util/text.h"

namespace cli {

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

struct GetArguments {
    std::string host;
    std::string remotePath;
    std::string destDir = ".";
    bool overwrite = false;
};

// The entry named by the last part of the path, from its parent's listing: exactly, or else the
// one entry whose name differs only in case (share names are matched that way by every host).
std::optional<DirEntry> FindEntry(const std::vector<DirEntry>& listing, const std::string& name) {
    for (const DirEntry& entry : listing) {
        if (entry.name == name) return entry;
    }
    std::optional<DirEntry> match;
    for (const DirEntry& entry : listing) {
        if (!xUtilEqualsNoCase(entry.name, name)) continue;
        if (match) return std::nullopt;
        match = entry;
    }
    return match;
}

class GetRun {
public:
    GetRun(const CommandContext& context, const GetArguments& arguments)
        : context_(context),
          arguments_(arguments),
          destDir_(arguments.destDir),
          display_(context.out, context.outputIsTerminal) {}
    // The session goes first: its handlers refer to this object's members.
    ~GetRun() { session_.reset(); }
    GetRun(const GetRun&) = delete;
    GetRun& operator=(const GetRun&) = delete;

    int Run();

private:
    int DownloadFile(const std::string& remotePath, const DirEntry& entry);
    int DownloadFolder(const std::string& remotePath, const DirEntry& entry);
    int Finish(ClientSession::End end);

    void Report(const std::string& message);
    bool MayWrite(const fs::path& localPath, bool askedForFolder);
    void StartFile(const WalkFile& file);
    // Shows the running file's progress.
    void FollowProgress();
    void ContinueWalk();
    void OnListing(JobId id, const std::vector<DirEntry>& listing, bool success);
    void OnFinished(JobId id, const util::Status& outcome);
    void ListFolder(const std::string& remotePath);
    void ListWaitingFolders();

    const CommandContext& context_;
    const GetArguments& arguments_;
    const fs::path destDir_;
    DownloadDisplay display_;
    Ipv4 address_ = 0;
    std::unique_ptr<SignalWatch> signals_;
    std::unique_ptr<ClientSession> session_;

    std::optional<FolderWalk> walk_;
    bool overwriteAll_ = false;
    std::map<JobId, std::string> listingJobs_;
    // Folders found and not yet asked for: the job queue takes only so many light jobs at once.
    std::deque<std::string> foldersToList_;
    JobId currentJob_ = 0;
    WalkFile currentFile_;
    bool over_ = false;
    bool failed_ = false;
    std::uint32_t filesDone_ = 0;
    std::int64_t bytesDone_ = 0;
    Clock::time_point started_ = Clock::now();
};

void GetRun::Report(const std::string& message) {
    display_.Interrupt();
    context_.Fail(message);
}

int GetRun::Run() {
    const std::string remotePath = NormalizeRemotePath(arguments_.remotePath);
    if (remotePath == "\\") return context_.Fail("Name a share, folder or file to download.");
    std::error_code error;
    if (!fs::is_directory(destDir_, error)) {
        return context_.Fail("The target folder " + destDir_.string() + " does not exist.");
    }
    std::string problem;
    if (!ResolveHostArgument(context_.options, arguments_.host, address_, problem)) {
        return context_.Fail(problem);
    }

    signals_ = std::make_unique<SignalWatch>();
    session_ = std::make_unique<ClientSession>(context_.options, false);
    std::vector<DirEntry> parentListing;
    const std::string parent = RemoteParent(remotePath);
    const ListResult listed = ListRemoteFolder(*session_, address_, parent, signals_.get(),
                                               context_.options.timeoutSeconds, parentListing);
    if (listed == ListResult::Interrupted) {
        context_.Fail("Download cancelled.");
        return kExitInterrupted;
    }
    if (listed != ListResult::Ok) {
        return context_.Fail(
            DescribeListFailure(listed, arguments_.host, parent, context_.options.timeoutSeconds));
    }
    const auto entry = FindEntry(parentListing, RemoteLeaf(remotePath));
    if (!entry) {
        return context_.Fail("There is no file or folder " + remotePath + " on " + arguments_.host +
                             ".");
    }
    if (const NameProblem bad = CheckRemoteName(entry->name); bad != NameProblem::None) {
        return context_.Fail("Refused " + remotePath + ": " + DescribeNameProblem(bad) + ".");
    }
    if (!entry->folder && entry->size < 0) {
        return context_.Fail("Refused " + remotePath + ": the host lists it with a negative size.");
    }
    // The host's spelling of the name, in case the user's differed in case only.
    const std::string exactPath = RemoteJoin(parent, entry->name);
    return entry->folder ? DownloadFolder(exactPath, *entry) : DownloadFile(exactPath, *entry);
}

bool GetRun::MayWrite(const fs::path& localPath, bool askedForFolder) {
    std::error_code error;
    const fs::file_status status = fs::symlink_status(localPath, error);
    if (!fs::exists(status)) return true;
    if (fs::is_directory(status)) {
        Report("Refused " + localPath.string() + ": a folder of that name is in the way.");
        return false;
    }
    if (arguments_.overwrite || askedForFolder) return true;
    if (context_.canAsk) {
        display_.Interrupt();
        if (AskYesNo(context_, FileExistsQuestion(localPath.filename().string()), signals_.get())) {
            return true;
        }
        Report("Skipped " + localPath.string() + ": it exists and was kept.");
        return false;
    }
    Report("Refused to overwrite " + localPath.string() + " (use --overwrite).");
    return false;
}

void GetRun::StartFile(const WalkFile& file) {
    currentFile_ = file;
    // The listed size bounds what the host may send: a reply announcing more fails before any
    // byte is written, so a hostile host cannot fill the disk.
    currentJob_ =
        session_->Jobs().AddRetrieveJob(address_, file.remotePath, file.localPath.string(),
                                        session_->Cancel(), static_cast<std::uint64_t>(file.size));
    const std::uint32_t found = walk_ ? walk_->FilesFound() : 1;
    display_.FileStarted(file.localPath.lexically_relative(destDir_).string(), file.size,
                         filesDone_, found);
}

void GetRun::FollowProgress() {
    session_->onDownloadProgress = [this](JobId, unsigned percent, float speed) {
        display_.Progress(percent, speed);
    };
}

int GetRun::DownloadFile(const std::string& remotePath, const DirEntry& entry) {
    const fs::path localPath = destDir_ / entry.name;
    if (!StaysInside(destDir_, localPath)) {
        return context_.Fail("Refused " + localPath.string() + ": outside the target folder.");
    }
    if (!MayWrite(localPath, false)) return kExitFailure;
    FollowProgress();
    session_->onDownloadFinished = [this](JobId id, const util::Status& outcome) {
        OnFinished(id, outcome);
        over_ = true;
    };
    StartFile({remotePath, localPath, entry.size});
    return Finish(session_->Run([this] { return over_ && currentJob_ == 0; }, signals_.get()));
}

int GetRun::DownloadFolder(const std::string& remotePath, const DirEntry& entry) {
    const fs::path top = destDir_ / entry.name;
    std::error_code error;
    if (fs::is_directory(top, error) && !arguments_.overwrite && context_.canAsk) {
        if (!AskYesNo(context_, FolderExistsQuestion(entry.name), signals_.get())) {
            return context_.Fail("Nothing downloaded: the folder " + top.string() + " was kept.");
        }
        overwriteAll_ = true;
    }
    overwriteAll_ = overwriteAll_ || arguments_.overwrite;
    walk_.emplace(remotePath, destDir_);
    session_->onExpand = [this](JobId id, const std::vector<DirEntry>& listing, bool success) {
        OnListing(id, listing, success);
    };
    FollowProgress();
    session_->onDownloadFinished = [this](JobId id, const util::Status& outcome) {
        OnFinished(id, outcome);
        if (!outcome) over_ = true;
        ContinueWalk();
    };
    ListFolder(remotePath);
    return Finish(session_->Run([this] { return over_ && currentJob_ == 0; }, signals_.get()));
}

void GetRun::ListFolder(const std::string& remotePath) {
    foldersToList_.push_back(remotePath);
    ListWaitingFolders();
}

void GetRun::ListWaitingFolders() {
    constexpr std::size_t kListingsInFlight = 8;
    while (!over_ && !foldersToList_.empty() && listingJobs_.size() < kListingsInFlight) {
        const std::string path = std::move(foldersToList_.front());
        foldersToList_.pop_front();
        listingJobs_[session_->Jobs().AddExpandJob(address_, path, session_->Cancel())] = path;
    }
}

void GetRun::OnListing(JobId id, const std::vector<DirEntry>& listing, bool success) {
    const auto job = listingJobs_.find(id);
    if (job == listingJobs_.end()) return;
    const std::string path = job->second;
    listingJobs_.erase(job);
    if (over_) return;
    if (!success) {
        walk_->OnListingFailed();
        Report("Cannot list " + path + " on " + arguments_.host + "; the download stops.");
        failed_ = true;
        over_ = true;
        return;
    }
    FolderWalk::ListingUse use = walk_->OnListing(path, listing);
    for (const WalkRefusal& refusal : use.refused) {
        Report("Refused " + refusal.remotePath + ": " + refusal.reason + ".");
        failed_ = true;
    }
    if (use.used && !use.localFolder.empty()) {
        std::error_code error;
        if (!StaysInside(destDir_, use.localFolder / "x") ||
            (!fs::create_directories(use.localFolder, error) && error)) {
            Report("Cannot create the folder " + use.localFolder.string() + ".");
            failed_ = true;
            over_ = true;
            return;
        }
    }
    for (const std::string& folder : use.foldersToList) foldersToList_.push_back(folder);
    ListWaitingFolders();
    display_.FilesFound(walk_->FilesFound());
    ContinueWalk();
}

void GetRun::ContinueWalk() {
    if (over_ || currentJob_ != 0) return;
    while (auto next = walk_->TakeNextFile()) {
        if (!StaysInside(destDir_, next->localPath)) {
            Report("Refused " + next->remotePath + ": outside the target folder.");
            failed_ = true;
            continue;
        }
        if (!MayWrite(next->localPath, overwriteAll_)) {
            failed_ = true;
            continue;
        }
        StartFile(*next);
        return;
    }
    if (walk_->Finished()) over_ = true;
}

void GetRun::OnFinished(JobId id, const util::Status& outcome) {
    if (id != currentJob_) return;
    currentJob_ = 0;
    display_.FileFinished(currentFile_.localPath.string(), currentFile_.size, outcome.ok());
    if (outcome) {
        ++filesDone_;
        bytesDone_ += std::max<std::int64_t>(currentFile_.size, 0);
        return;
    }
    failed_ = true;
    if (outcome.kind() == util::ErrorKind::Stopped) return;
    Report("Download of " + currentFile_.remotePath + " from " + arguments_.host +
           " failed: " + util::Describe(outcome.error()) + ".");
}

int GetRun::Finish(ClientSession::End end) {
    if (end == ClientSession::End::Interrupted) {
        Report("Download cancelled.");
        // Ending the session waits for the running transfer, which removes its partial file.
        session_.reset();
        return kExitInterrupted;
    }
    const double seconds = std::chrono::duration<double>(Clock::now() - started_).count();
    display_.Summary(filesDone_, bytesDone_, seconds);
    return failed_ ? kExitFailure : kExitOk;
}

}  // namespace

void AddGetCommand(CLI::App& app, CommandContext& context, CommandAction& action) {
    auto arguments = std::make_shared<GetArguments>();
    CLI::App* get = app.add_subcommand(
        "get", "Download a file or a whole folder (\\Music\\Live lands in DESTDIR/Live)");
    get->add_option("HOST", arguments->host, "Host name or dotted address")->required();
    get->add_option("REMOTEPATH", arguments->remotePath,
                    "Share path, e.g. \\Music\\Live or /Music/Live")
        ->required();
    get->add_option("DESTDIR", arguments->destDir, "Existing target folder (default: .)");
    get->add_flag("--overwrite", arguments->overwrite, "Replace existing files without asking");
    get->callback([&context, &action, arguments] {
        action = [&context, arguments] { return GetRun(context, *arguments).Run(); };
    });
}

}  // namespace cli
