// What a worker thread does with one job: one connection, one request, one report.
#include <filesystem>

#include "client/download_progress.h"
#include "client/folder_stream_receive.h"
#include "client/job_queue.h"
#include "client/job_record.h"
#include "client/verified_download.h"
#include "net/connect.h"
#include "net/framing.h"
#include "protocol/folder_stream.h"
#include "protocol/get_request.h"

namespace {

// Creates the folders a download goes into. A failure shows later, when the file cannot be made.
void CreateParentFolders(const std::string& localPath) {
    const auto folder = std::filesystem::path(localPath).parent_path();
    if (folder.empty()) return;
    std::error_code ignored;
    std::filesystem::create_directories(folder, ignored);
}

// Sends one request and reads one text reply of at most maxLength bytes.
bool Exchange(net::Socket socket, const std::string& request, std::string& reply,
              std::size_t maxLength, const StopFlag* stop) {
    return net::SendString(socket, request, stop) &&
           net::ReceiveString(socket, reply, stop, maxLength);
}

util::Error StoppedOr(util::ErrorKind kind, const StopFlag* stop) {
    return util::MakeError(IsStopped(stop) ? util::ErrorKind::Stopped : kind);
}

}  // namespace

util::Status CJobQueue::Retrieve(const Job& job, net::Socket socket, const StopFlag* stop) {
    if (socket == net::kInvalidSocket) return StoppedOr(util::ErrorKind::CannotConnect, stop);
    CreateParentFolders(job.localPath);
    if (!net::SendString(socket, proto::BuildRequest("retrieve", job.remotePath), stop)) {
        return StoppedOr(util::ErrorKind::ConnectionLost, stop);
    }
    DownloadProgressAdapter progress(*downloadListener_, job.id);
    return net::ReceiveFile(socket, job.localPath, stop, nullptr, &progress, job.expectedSize);
}

util::Status CJobQueue::StreamFolder(Job& job, const StopFlag* stop) {
    client::StreamBatch& batch = *job.batch;
    // Asked once per host; a host of the common protocol costs this one connection.
    if (!extensions_.Lookup(job.address, options_.requestPort, stop)
             .Has(std::string(proto::kFolderStreamWord))) {
        batch.hostLacksStream = true;
        return StoppedOr(util::ErrorKind::RefusedByHost, stop);
    }
    net::UniqueSocket socket =
        net::ConnectTo(job.address, options_.requestPort, stop, options_.connectAttempts);
    if (!socket.valid()) return StoppedOr(util::ErrorKind::CannotConnect, stop);
    DownloadProgressAdapter progress(*downloadListener_, job.id);
    util::Status outcome = client::ReceiveFolderStream(socket.get(), batch, stop, &progress);
    if (!outcome && IsStopped(stop)) outcome = util::MakeError(util::ErrorKind::Stopped);
    return outcome;
}

bool CJobQueue::OffersGet(const Job& job, const StopFlag* stop) {
    return options_.verifyDownloads && job.type == JobType::Retrieve &&
           extensions_.Lookup(job.address, options_.requestPort, stop)
               .Has(std::string(proto::kGetWord));
}

util::Status CJobQueue::RetrieveVerified(const Job& job, net::Socket socket, const StopFlag* stop) {
    if (socket == net::kInvalidSocket) return StoppedOr(util::ErrorKind::CannotConnect, stop);
    CreateParentFolders(job.localPath);
    const client::VerifiedDownload download{job.address, job.remotePath, job.localPath,
                                            job.expectedSize};
    DownloadProgressAdapter progress(*downloadListener_, job.id);
    util::Status outcome = client::DownloadVerified(socket, download, stop, &progress);
    if (outcome.ok() || outcome.kind() != util::ErrorKind::Damaged) return outcome;
    // Once more from the start: a damaged part, or bytes spoilt on the way, rarely come twice.
    const net::UniqueSocket again =
        net::ConnectTo(job.address, options_.requestPort, stop, options_.connectAttempts);
    if (!again.valid()) return outcome;
    return client::DownloadVerified(again.get(), download, stop, &progress);
}

void CJobQueue::ForgetStopFlag(Job& job) {
    // The flag often lives in the owner's record of the job, which the owner may free as soon
    // as the report has reached it, while this job still counts as running and the scheduler
    // would keep reading the flag.
    std::lock_guard guard(lock_);
    job.stop = nullptr;
}

void CJobQueue::RunWorker(Job& job) {
    // A light job's flag is set by the scheduler when the job's own flag is, or when its time
    // is up; a download watches its own flag directly.
    const StopFlag* stop = job.light ? &job.abort : job.stop;
    if (job.type == JobType::FolderStream) {
        const util::Status outcome = StreamFolder(job, stop);
        if (job.batch->filesDone > 0) NoteAnswered(job.address);
        downloadListener_->OnDownloadFinished(job.id, outcome);
        return;
    }
    // Asked before the job's own connection, which would otherwise wait idle at the host.
    const bool verified = !IsStopped(job.stop) && OffersGet(job, stop);
    net::UniqueSocket socket;
    if (!IsStopped(job.stop) && !IsStopped(stop)) {
        socket = net::ConnectTo(job.address, options_.requestPort, stop, options_.connectAttempts);
    }
    const bool connected = socket.valid();
    std::string reply;

    switch (job.type) {
        case JobType::Retrieve: {
            const util::Status outcome = verified ? RetrieveVerified(job, socket.get(), stop)
                                                  : Retrieve(job, socket.get(), stop);
            if (outcome) NoteAnswered(job.address);
            if (outcome && verified) downloadListener_->OnDownloadVerified(job.id);
            downloadListener_->OnDownloadFinished(job.id, outcome);
            break;
        }
        case JobType::Expand: {
            const bool success =
                connected && Exchange(socket.get(), proto::BuildRequest("expand", job.remotePath),
                                      reply, net::kMaxListingLength, stop);
            const std::size_t maxEntries =
                job.remotePath == "\\" ? proto::kMaxShareListEntries : proto::kMaxListingEntries;
            std::size_t leftOut = 0;
            if (success) NoteAnswered(job.address);
            const auto listing = success ? proto::ParseListing(reply, maxEntries, &leftOut)
                                         : std::vector<DirEntry>();
            ForgetStopFlag(job);
            jobListener_->OnExpandResult(job.id, listing, success, leftOut);
            break;
        }
        case JobType::GetHostInfo: {
            const char* word = extendedHostInfo_ ? "gethostinfoex" : "gethostinfo";
            // A host that does not answer is simply not reported.
            if (connected && Exchange(socket.get(), proto::BuildRequest(word), reply,
                                      net::kMaxHostInfoLength, stop)) {
                NoteAnswered(job.address);
                ForgetStopFlag(job);
                jobListener_->OnHostInfoResult(
                    job.id, proto::ParseHostInfo(reply, extendedHostInfo_), true);
            }
            break;
        }
        case JobType::FolderStream:
            break;
        case JobType::HostModified:
            // The host answers nothing.
            if (connected) net::SendString(socket.get(), proto::BuildRequest("hostmodified"), stop);
            break;
    }
}
