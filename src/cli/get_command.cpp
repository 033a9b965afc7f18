// get HOST REMOTEPATH [DESTDIR]: one file, or a whole folder a few files at a time.
#include <CLI/CLI.hpp>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <ostream>
#include <set>

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
#include "client/download_target.h"
#include "client/folder_download.h"
#include "core/extension_support.h"
#include "core/parseini.h"
#include "core/settings_keys.h"
#include "net/rate_limiter.h"
#include "ui/desktop/options_settings.h"
#include "util/printable_text.h"
#include "util/text.h"

namespace cli {

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using client::WalkFile;

struct GetArguments {
    std::string host;
    std::string remotePath;
    std::string destDir = ".";
    bool overwrite = false;
    bool verbose = false;
    bool verify = true;
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
    // The session goes first: its handlers refer to this object's members. The folder's files
    // watch the download's flag, which ending the session does not set.
    ~GetRun() {
        StopFolder();
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
    bool AskOverwrite(const fs::path& localPath);
    void ReportSkipped(const client::Skipped& skipped);
    void ReportFailure(const client::DownloadFailure& failure);
    void FollowProgress();
    // Shows the progress of the oldest running file.
    void ShowOldestFile();
    const std::map<JobId, WalkFile>& RunningFiles() const {
        return folder_ ? folder_->Running() : single_;
    }
    void FileFinished(JobId job, const WalkFile& file, bool success, bool flush = true);
    void StopFolder();
    bool Done() const { return folder_ ? folder_->Settled() : singleOver_; }

    const CommandContext& context_;
    const GetArguments& arguments_;
    const fs::path destDir_;
    DownloadDisplay display_;
    Ipv4 address_ = 0;
    std::unique_ptr<SignalWatch> signals_;
    std::unique_ptr<ClientSession> session_;

    std::unique_ptr<client::FolderDownload> folder_;
    std::map<JobId, WalkFile> single_;
    bool singleOver_ = false;
    JobId shownJob_ = 0;
    bool failed_ = false;
    std::uint32_t filesDone_ = 0;
    std::int64_t bytesDone_ = 0;
    // Jobs whose file matched the host's digest.
    std::set<JobId> verified_;
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
    // The speed limit of the settings holds here as in the desktop program.
    int limit = 0;
    utilcpp::CParseini(context_.SettingsFile())
        .GetInt(settings_keys::kGlobal, settings_keys::kDownloadLimit, limit, 0);
    net::DownloadRateLimiter().SetLimit(ui::DownloadLimitBytes(limit));

    signals_ = std::make_unique<SignalWatch>();
    session_ = std::make_unique<ClientSession>(context_.options, false, arguments_.verify);
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

bool GetRun::AskOverwrite(const fs::path& localPath) {
    if (arguments_.overwrite) return true;
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

void GetRun::ReportSkipped(const client::Skipped& skipped) {
    failed_ = true;
    switch (skipped.kind) {
        case client::SkipKind::Refused:
            Report("Refused " + skipped.remotePath + ": " + DescribeRefusal(skipped.refusal) + ".");
            break;
        case client::SkipKind::Outside:
            Report("Refused " + skipped.remotePath + ": outside the target folder.");
            break;
        case client::SkipKind::FolderInTheWay:
            Report("Refused " + skipped.localPath.string() +
                   ": a folder of that name is in the way.");
            break;
        case client::SkipKind::Kept:
            // The question said so already.
            break;
    }
}

void GetRun::ReportFailure(const client::DownloadFailure& failure) {
    failed_ = true;
    switch (failure.kind) {
        case client::FailureKind::Listing:
            Report("Cannot list " + failure.remotePath + " on " + arguments_.host +
                   "; the download stops.");
            break;
        case client::FailureKind::Folder:
            Report("Cannot create the folder " + failure.localPath.string() + ".");
            break;
        case client::FailureKind::File:
            if (failure.outcome.kind() == util::ErrorKind::Stopped) break;
            Report("Download of " + failure.remotePath + " from " + arguments_.host +
                   " failed: " + util::Describe(failure.outcome.error()) + ".");
            break;
    }
}

void GetRun::ShowOldestFile() {
    if (const client::StreamBatch* stream = folder_ ? folder_->Stream() : nullptr) {
        // A stream shows as one transfer of its files' bytes.
        if (folder_->StreamJob() == shownJob_) return;
        shownJob_ = folder_->StreamJob();
        display_.FileStarted(stream->files.front().localPath.lexically_relative(destDir_).string(),
                             static_cast<std::int64_t>(stream->totalBytes), filesDone_,
                             folder_->Walk().FilesFound());
        return;
    }
    const auto& running = RunningFiles();
    const JobId oldest = running.empty() ? 0 : running.begin()->first;
    if (oldest == shownJob_) return;
    shownJob_ = oldest;
    if (shownJob_ == 0) return;
    const WalkFile& file = running.begin()->second;
    const std::uint32_t found = folder_ ? folder_->Walk().FilesFound() : 1;
    display_.FileStarted(file.localPath.lexically_relative(destDir_).string(), file.size,
                         filesDone_, found);
}

void GetRun::FollowProgress() {
    session_->onDownloadProgress = [this](JobId id, unsigned percent, float speed) {
        if (id == shownJob_) display_.Progress(percent, speed);
    };
}

void GetRun::FileFinished(JobId job, const WalkFile& file, bool success, bool flush) {
    display_.FileFinished(file.localPath.string(), file.size, success, flush);
    // Dropped whatever is shown: a folder of many files must not leave one entry for each.
    const bool verified = verified_.erase(job) > 0;
    if (success && arguments_.verbose) {
        display_.Interrupt();
        context_.out << (verified ? "verified: " : "not verified (the host offers no digest): ")
                     << util::PrintableText(file.localPath.string()) << std::endl;
    }
    if (success) {
        ++filesDone_;
        bytesDone_ += file.size;
    }
}

void GetRun::StopFolder() {
    if (folder_) folder_->Cancel();
}

int GetRun::DownloadFile(const std::string& remotePath, const DirEntry& entry) {
    const fs::path localPath = destDir_ / entry.name;
    switch (client::CheckTarget(destDir_, localPath, false,
                                [this](const fs::path& path) { return AskOverwrite(path); })) {
        case client::TargetCheck::Write:
            break;
        case client::TargetCheck::Outside:
            return context_.Fail("Refused " + localPath.string() + ": outside the target folder.");
        case client::TargetCheck::FolderInTheWay:
            return context_.Fail("Refused " + localPath.string() +
                                 ": a folder of that name is in the way.");
        case client::TargetCheck::Kept:
            return kExitFailure;
    }
    FollowProgress();
    session_->onDownloadVerified = [this](JobId id) { verified_.insert(id); };
    session_->onDownloadFinished = [this](JobId id, const util::Status& outcome) {
        const auto found = single_.find(id);
        if (found == single_.end()) return;
        const WalkFile file = std::move(found->second);
        single_.erase(found);
        FileFinished(id, file, outcome.ok());
        singleOver_ = true;
        if (!outcome) ReportFailure({client::FailureKind::File, file.remotePath, {}, outcome});
    };
    // The listed size bounds what the host may send: a reply announcing another size fails before
    // any byte is written, so a hostile host cannot fill the disk.
    const JobId job =
        session_->Jobs().AddRetrieveJob(address_, remotePath, localPath.string(),
                                        session_->Cancel(), static_cast<std::uint64_t>(entry.size));
    single_.emplace(job, WalkFile{remotePath, localPath, entry.size});
    ShowOldestFile();
    return Finish(session_->Run([this] { return Done(); }, signals_.get()));
}

int GetRun::DownloadFolder(const std::string& remotePath, const DirEntry& entry) {
    const fs::path top = destDir_ / entry.name;
    bool overwrite = arguments_.overwrite;
    std::error_code error;
    if (fs::is_directory(top, error) && !overwrite && context_.canAsk) {
        if (!AskYesNo(context_, FolderExistsQuestion(entry.name), signals_.get())) {
            return context_.Fail("Nothing downloaded: the folder " + top.string() + " was kept.");
        }
        overwrite = true;
    }
    client::DownloadJobs jobs;
    jobs.addListing = [this](const std::string& path) {
        return session_->Jobs().AddExpandJob(address_, path, &folder_->Cancelled());
    };
    jobs.addFile = [this](const WalkFile& file) {
        return session_->Jobs().AddRetrieveJob(address_, file.remotePath, file.localPath.string(),
                                               &folder_->Cancelled(),
                                               static_cast<std::uint64_t>(file.size));
    };
    // A host known to lack the stream is asked file by file at once.
    if (!context_.options.commonProtocol &&
        session_->Jobs().Extensions().Known(address_).support != ExtensionSupport::Lacking) {
        jobs.addStream = [this](std::shared_ptr<client::StreamBatch> batch) {
            return session_->Jobs().AddFolderStreamJob(address_, std::move(batch),
                                                       &folder_->Cancelled());
        };
    }
    client::FolderDownloadEvents events;
    events.onSkipped = [this](const client::Skipped& skipped) { ReportSkipped(skipped); };
    // The download goes on with what arrived, as ls shows what arrived; only the warning tells.
    events.onListingCut = [this](std::size_t count) { Report(DescribeCutListing(count)); };
    events.onFailed = [this](const client::DownloadFailure& failure) { ReportFailure(failure); };
    events.mayOverwrite = [this](const fs::path& path) { return AskOverwrite(path); };
    client::FolderDownloadSettings settings;
    settings.overwrite = overwrite;
    folder_ = std::make_unique<client::FolderDownload>(
        address_, remotePath, destDir_, std::move(jobs), std::move(events), settings);

    session_->onExpand = [this](JobId id, const std::vector<DirEntry>& listing, bool success,
                                std::size_t leftOut) {
        const auto path = folder_->AwaitedFolder(id);
        if (!path) return;
        if (success) {
            folder_->OnListing(*path, listing, leftOut);
        } else {
            folder_->OnListingFailed(id);
        }
        display_.FilesFound(folder_->Walk().FilesFound());
        ShowOldestFile();
    };
    FollowProgress();
    session_->onDownloadVerified = [this](JobId id) { verified_.insert(id); };
    session_->onDownloadFinished = [this](JobId id, const util::Status& outcome) {
        if (const client::StreamBatch* stream = folder_->Stream();
            stream != nullptr && id == folder_->StreamJob()) {
            // Every file of a stream is checked against the host's digest before it is kept.
            for (std::size_t i = 0; i < stream->filesDone; ++i) {
                verified_.insert(id);
                FileFinished(id, stream->files[i], true, false);
            }
            if (!outcome && !stream->hostLacksStream && stream->filesDone < stream->files.size()) {
                FileFinished(id, stream->files[stream->filesDone], false, false);
            }
            context_.out.flush();
            folder_->OnFileFinished(id, outcome);
            ShowOldestFile();
            return;
        }
        const auto found = folder_->Running().find(id);
        if (found == folder_->Running().end()) return;
        const WalkFile file = found->second;
        folder_->OnFileFinished(id, outcome);
        FileFinished(id, file, outcome.ok());
        ShowOldestFile();
    };
    folder_->Start();
    ShowOldestFile();
    return Finish(session_->Run([this] { return Done(); }, signals_.get()));
}

int GetRun::Finish(ClientSession::End end) {
    if (end == ClientSession::End::Interrupted) {
        Report("Download cancelled.");
        StopFolder();
        // Ending the session waits for the running transfer. A host with the resume extension
        // leaves the part for the next run of the same get; otherwise the part is removed.
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
    get->add_flag("--verbose", arguments->verbose,
                  "Say of each file whether it matched the host's SHA-256 (\"verified\")");
    get->add_flag("--no-verify{false}", arguments->verify,
                  "Ask the common way: no resume and no SHA-256 check, even from hosts that offer "
                  "them");
    get->callback([&context, &action, arguments] {
        action = [&context, arguments] { return GetRun(context, *arguments).Run(); };
    });
}

}  // namespace cli
