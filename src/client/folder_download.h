// One folder download, as both front ends run it: the walk lists the folders and finds the files,
// a few files are fetched at once, every file is checked against the disk before it is asked for
// (it must stay inside the chosen folder, and an existing file is replaced only with consent),
// and the download ends at its first failure. The owner runs the jobs and passes their reports
// on; it learns what happened from the events and from End().
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "client/download_target.h"
#include "client/folder_walk.h"
#include "client/stream_batch.h"
#include "protocol/folder_stream.h"
#include "util/result.h"

namespace client {

// How the download gets its jobs run. All watch the download's cancel flag.
struct DownloadJobs {
    std::function<JobId(const std::string& folderPath)> addListing;
    std::function<JobId(const WalkFile& file)> addFile;
    // When set, the files go as streams of many (CJobQueue::AddFolderStreamJob), one at a time;
    // a host that lacks the stream gets them one by one through addFile after all.
    std::function<JobId(std::shared_ptr<StreamBatch> batch)> addStream;
};

enum class SkipKind { Refused, Outside, FolderInTheWay, Kept };

// A file or folder of the host that does not arrive while the rest of the download goes on.
struct Skipped {
    SkipKind kind = SkipKind::Refused;
    std::string remotePath;
    std::filesystem::path localPath;
    // Why the walk refused it, for SkipKind::Refused.
    WalkRefusal refusal;
};

enum class FailureKind { Listing, Folder, File };

// What ended the download before its end.
struct DownloadFailure {
    FailureKind kind = FailureKind::File;
    std::string remotePath;
    std::filesystem::path localPath;
    util::Status outcome;
};

struct FolderDownloadEvents {
    std::function<void(const Skipped&)> onSkipped;
    // A listing used by the download held more entries than it may: `count` never arrive.
    std::function<void(std::size_t count)> onListingCut;
    std::function<void(const DownloadFailure&)> onFailed;
    // Asked before an existing file is replaced, unless every file may be.
    OverwriteQuestion mayOverwrite;
};

struct FolderDownloadSettings {
    // Small files cost a connection and a request each, which one at a time leaves the link idle
    // between them; four leave the job queue's fifth download place for a single file.
    std::size_t filesInFlight = 4;
    // Existing files are replaced without asking: the user agreed to the whole folder.
    bool overwrite = false;
    WalkLimits limits;
    // What one stream may carry; the host takes no more.
    StreamBatchLimits streamLimits{proto::kMaxStreamFiles, proto::kMaxSelectionLength};
};

enum class DownloadEnd { Running, Finished, Failed, Cancelled };

class FolderDownload {
public:
    FolderDownload(Ipv4 address, std::string rootPath, std::filesystem::path localDir,
                   DownloadJobs jobs, FolderDownloadEvents events = {},
                   FolderDownloadSettings settings = {});
    FolderDownload(const FolderDownload&) = delete;
    FolderDownload& operator=(const FolderDownload&) = delete;

    // Asks for the first listings.
    void Start();

    // A listing of `folderPath` (without trailing backslash) arrived, from this download's job or
    // anyone else's. True when the download used it.
    bool OnListing(const std::string& folderPath, const std::vector<DirEntry>& entries,
                   std::size_t leftOut = 0);
    // A listing job ended without a listing. True when the download awaited it.
    bool OnListingFailed(JobId job);
    std::optional<std::string> AwaitedFolder(JobId job) const { return walk_.AwaitedFolder(job); }
    bool Awaits(const std::string& folderPath) const { return walk_.Awaits(folderPath); }
    // A file or stream job reported. True when it was one of this download's.
    bool OnFileFinished(JobId job, const util::Status& outcome);
    bool Fetches(JobId job) const {
        return running_.contains(job) || (stream_ && job == streamJob_);
    }

    // Watched by every job of the download.
    StopFlag& Cancelled() { return walk_.Cancelled(); }
    const StopFlag& Cancelled() const { return walk_.Cancelled(); }
    void Cancel() { walk_.Cancelled() = true; }

    // Running until it finished, failed or was cancelled; files already out may still report.
    DownloadEnd End() const { return end_; }
    // Ended, and no file of it is out any more.
    bool Settled() const { return end_ != DownloadEnd::Running && running_.empty() && !stream_; }
    // What ended the download, once it failed.
    const std::optional<DownloadFailure>& Failure() const { return failure_; }
    // Some file or folder of the host was left out.
    bool Incomplete() const { return skipped_ > 0 || walk_.EntriesLeftOut() > 0; }

    Ipv4 Address() const { return walk_.Address(); }
    const std::string& RootPath() const { return walk_.RootPath(); }
    const FolderWalk& Walk() const { return walk_; }
    // The files being fetched, by job id, oldest first.
    const std::map<JobId, WalkFile>& Running() const { return running_; }
    // The stream on its way, if any, and its job.
    const StreamBatch* Stream() const { return stream_.get(); }
    JobId StreamJob() const { return stream_ ? streamJob_ : 0; }
    std::uint32_t FilesDone() const { return filesDone_; }
    std::int64_t BytesDone() const { return bytesDone_; }

private:
    void Fail(FailureKind kind, std::string remotePath, std::filesystem::path localPath,
              util::Status outcome);
    void Skip(const Skipped& skipped);
    bool CreateFolder(const std::filesystem::path& folder);
    // Asks for waiting listings and starts waiting files; ends the download when all is done.
    void Continue();
    // Checks the next file of the walk against the disk; none when the walk has none waiting or
    // it must not be written.
    std::optional<WalkFile> TakeCheckedFile();
    void StartStream();
    bool OnStreamFinished(const util::Status& outcome);

    FolderWalk walk_;
    const std::filesystem::path localDir_;
    DownloadJobs jobs_;
    FolderDownloadEvents events_;
    const FolderDownloadSettings settings_;
    std::map<JobId, WalkFile> running_;
    // Files already checked that wait for a job of their own: a stream's files, after the host
    // turned out to lack the stream.
    std::deque<WalkFile> checked_;
    bool streaming_ = false;
    std::set<std::filesystem::path> insideFolders_;
    // Folders this download made itself: none of the user's files can be in the way there.
    std::set<std::filesystem::path> createdFolders_;
    std::shared_ptr<StreamBatch> stream_;
    JobId streamJob_ = 0;
    DownloadEnd end_ = DownloadEnd::Running;
    std::optional<DownloadFailure> failure_;
    std::size_t skipped_ = 0;
    std::uint32_t filesDone_ = 0;
    std::int64_t bytesDone_ = 0;
};

}  // namespace client
