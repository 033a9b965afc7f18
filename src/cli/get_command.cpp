// get HOST REMOTEPATH [DESTDIR]: one file, or a whole folder a few files at a time.
#include <CLI/CLI.hpp>
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
#include "cli/host_finder.h"
#include "cli/overwrite_question.h"
#include "cli/remote_listing.h"
#include "cli/remote_path.h"
#include "cli/signal_watch.h"
#include "client/folder_walk.h"
#include "util/text.h"

namespace cli {

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using client::FolderWalk;
using client::WalkFile;

// Files of a folder fetched at once: small files cost a connection and a request each, which
// one at a time leaves the link idle between them. Below the job queue's five downloads.
constexpr std::size_t kFilesInFlight = 4;

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
    // The session goes first: its handlers refer to this object's members. The walk's files
    // watch the walk's flag, which ending the session does not set.
    ~GetRun() {
        StopWalk();
        session_.reset();
    }
    GetRun(const GetRun&) = delete;
    GetRun& operator=(const GetRun&) = delete;

    int Run();

private:
    int DownloadFile(const std::string& remotePath, const DirEntry& entry);
    int DownloadFolder(const std::string& remotePath, const DirEntry& entry);
    int Finish(ClientSession::End end);

    void Report(const std::string& message);
    bool MayWrite(const fs::path& localPath, bool askedForFolder);
    void StartFile(const WalkFile& file, const StopFlag* stop);
    // Shows the progress of the oldest running file.
    void FollowProgress();
    void ShowOldestFile();
    void ContinueWalk();
    void OnListing(JobId id, const std::vector<DirEntry>& listing, bool success,
                   std::size_t leftOut);
    void OnFinished(JobId id, const util::Status& outcome);
    void ListWaitingFolders();
    void StopWalk();
    bool Done() const { return over_ && running_.empty(); }

    const CommandContext& context_;
    const GetArguments& arguments_;
    const fs::path destDir_;
    DownloadDisplay display_;
    Ipv4 address_ = 0;
    std::unique_ptr<SignalWatch> signals_;
    std::unique_ptr<ClientSession> session_;

    std::optional<FolderWalk> walk_;
    bool overwriteAll_ = false;
    // The files being fetched, by job id, which grows in the order they were started.
    std::map<JobId, WalkFile> running_;
    JobId shownJob_ = 0;
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

void GetRun::StartFile(const WalkFile& file, const StopFlag* stop) {
    // The listed size bounds what the host may send: a reply announcing more fails before any
    // byte is written, so a hostile host cannot fill the disk.
    const JobId job =
        session_->Jobs().AddRetrieveJob(address_, file.remotePath, file.localPath.string(), stop,
                                        static_cast<std::uint64_t>(file.size));
    running_.emplace(job, file);
    if (shownJob_ == 0) ShowOldestFile();
}

void GetRun::ShowOldestFile() {
    shownJob_ = running_.empty() ? 0 : running_.begin()->first;
    if (shownJob_ == 0) return;
    const WalkFile& file = running_.begin()->second;
    const std::uint32_t found = walk_ ? walk_->FilesFound() : 1;
    display_.FileStarted(file.localPath.lexically_relative(destDir_).string(), file.size,
                         filesDone_, found);
}

void GetRun::FollowProgress() {
    session_->onDownloadProgress = [this](JobId id, unsigned percent, float speed) {
        if (id == shownJob_) display_.Progress(percent, speed);
    };
}

void GetRun::StopWalk() {
    if (walk_) walk_->Cancelled() = true;
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
    StartFile({remotePath, localPath, entry.size}, session_->Cancel());
    return Finish(session_->Run([this] { return Done(); }, signals_.get()));
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
    walk_.emplace(address_, remotePath, destDir_);
    session_->onExpand = [this](JobId id, const std::vector<DirEntry>& listing, bool success,
                                std::size_t leftOut) { OnListing(id, listing, success, leftOut); };
    FollowProgress();
    session_->onDownloadFinished = [this](JobId id, const util::Status& outcome) {
        OnFinished(id, outcome);
        if (!outcome) over_ = true;
        ContinueWalk();
    };
    ListWaitingFolders();
    return Finish(session_->Run([this] { return Done(); }, signals_.get()));
}

void GetRun::ListWaitingFolders() {
    if (over_) return;
    walk_->ListWaitingFolders([this](const std::string& path) {
        return session_->Jobs().AddExpandJob(address_, path, &walk_->Cancelled());
    });
}

void GetRun::OnListing(JobId id, const std::vector<DirEntry>& listing, bool success,
                       std::size_t leftOut) {
    const auto path = walk_->AwaitedFolder(id);
    if (!path || over_) return;
    if (!success) {
        walk_->OnListingFailed(id);
        Report("Cannot list " + *path + " on " + arguments_.host + "; the download stops.");
        failed_ = true;
        over_ = true;
        StopWalk();
        return;
    }
    FolderWalk::ListingUse use = walk_->OnListing(*path, listing, leftOut);
    // The download goes on with what arrived, as ls shows what arrived; only the warning tells.
    if (use.leftOut > 0) Report(DescribeCutListing(use.leftOut));
    for (const client::WalkRefusal& refusal : use.refused) {
        Report("Refused " + refusal.remotePath + ": " + DescribeRefusal(refusal) + ".");
        failed_ = true;
    }
    if (use.used && !use.localFolder.empty()) {
        std::error_code error;
        if (!StaysInside(destDir_, use.localFolder / "x") ||
            (!fs::create_directories(use.localFolder, error) && error)) {
            Report("Cannot create the folder " + use.localFolder.string() + ".");
            failed_ = true;
            over_ = true;
            StopWalk();
            return;
        }
    }
    ListWaitingFolders();
    display_.FilesFound(walk_->FilesFound());
    ContinueWalk();
}

void GetRun::ContinueWalk() {
    if (over_) return;
    while (running_.size() < kFilesInFlight) {
        auto next = walk_->TakeNextFile();
        if (!next) break;
        if (!StaysInside(destDir_, next->localPath)) {
            Report("Refused " + next->remotePath + ": outside the target folder.");
            failed_ = true;
            continue;
        }
        if (!MayWrite(next->localPath, overwriteAll_)) {
            failed_ = true;
            continue;
        }
        StartFile(*next, &walk_->Cancelled());
    }
    if (running_.empty() && walk_->Exhausted()) over_ = true;
}

void GetRun::OnFinished(JobId id, const util::Status& outcome) {
    const auto found = running_.find(id);
    if (found == running_.end()) return;
    const WalkFile file = std::move(found->second);
    running_.erase(found);
    display_.FileFinished(file.localPath.string(), file.size, outcome.ok());
    if (id == shownJob_) ShowOldestFile();
    if (outcome) {
        ++filesDone_;
        bytesDone_ += file.size;
        return;
    }
    // The first file that fails ends the download; the files still running with it stop too,
    // so that nothing is written after it.
    failed_ = true;
    over_ = true;
    StopWalk();
    if (outcome.kind() == util::ErrorKind::Stopped) return;
    Report("Download of " + file.remotePath + " from " + arguments_.host +
           " failed: " + util::Describe(outcome.error()) + ".");
}

int GetRun::Finish(ClientSession::End end) {
    if (end == ClientSession::End::Interrupted) {
        Report("Download cancelled.");
        StopWalk();
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
