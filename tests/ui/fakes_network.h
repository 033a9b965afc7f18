// A recording stand-in for discovery, the share server, the job queue and chat. It keeps the
// contracts the controller relies on: job ids count up and stay known until the test reaps them,
// and AddHost / RemoveHost report back through the host listener like discovery does (once per
// address).
#pragma once

#include <algorithm>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "net/socket.h"
#include "ui/controller/lumvale_dialog_network.h"

namespace fakes {

struct FakeNetwork final : ui::ControllerNetwork {
    struct Job {
        JobId id = 0;
        JobType type = JobType::Expand;
        Ipv4 address = 0;
        std::string remotePath;
        std::string localPath;
        const StopFlag* stop = nullptr;
    };

    explicit FakeNetwork(const ui::NetworkListeners& bridge) : listeners(bridge) {}

    void AddHost(Ipv4 address, const std::string& name, HostKind kind) override {
        const char* kinds[] = {"local", "discovered", "manual"};
        addedHosts.push_back(kinds[int(kind)] + (" " + net::FormatIpv4(address)) + " " + name);
        if (std::count(knownHosts.begin(), knownHosts.end(), address)) return;
        knownHosts.push_back(address);
        listeners.host.OnHostAppeared(address, name, kind);
    }
    void RemoveHost(Ipv4 address) override {
        if (std::erase(knownHosts, address)) listeners.host.OnHostDisappeared(address);
    }
    void CheckAddressChange() override {}
    void SetServerHostName(const std::string& name) override { serverHostName = name; }
    bool GetUploadInfo(std::uint32_t id, ServerConnectionInfo& out) const override {
        if (uploads.count(id)) out = uploads.at(id);
        return uploads.count(id);
    }
    JobId AddExpandJob(Ipv4 address, const std::string& path, const StopFlag* stop) override {
        return Add({0, JobType::Expand, address, path, {}, stop});
    }
    JobId AddHostInfoJob(Ipv4 address, const StopFlag* stop) override {
        return Add({0, JobType::GetHostInfo, address, {}, {}, stop});
    }
    JobId AddHostModifiedJob(Ipv4 address, const StopFlag* stop) override {
        return Add({0, JobType::HostModified, address, {}, {}, stop});
    }
    JobId AddRetrieveJob(Ipv4 address, const std::string& remotePath, const std::string& localPath,
                         const StopFlag* stop, std::optional<std::uint64_t> listedSize) override {
        lastListedSize = listedSize;
        return Add({0, JobType::Retrieve, address, remotePath, localPath, stop});
    }
    JobId AddFolderStreamJob(Ipv4 address, std::shared_ptr<client::StreamBatch> batch,
                             const StopFlag* stop) override {
        streams.push_back(batch);
        return Add({0, JobType::FolderStream, address, batch->rootPath, {}, stop});
    }
    bool MayStreamFolders(Ipv4) const override { return streamsFolders; }
    bool GetJobInfo(JobId id, JobInfo& out) const override {
        if (!live.count(id)) return false;
        const Job& job = live.at(id);
        out = JobInfo{job.type, job.address, job.remotePath, job.localPath};
        return true;
    }
    void CancelJob(JobId id) override {
        cancelled.push_back(id);
        live.erase(id);
    }
    void ForgetExtensions(Ipv4 address) override { forgottenExtensions.push_back(address); }
    void DiscardPartial(const std::string& localPath) override { discarded.push_back(localPath); }
    void SetDownloadLimit(std::uint64_t bytesPerSecond) override { downloadLimit = bytesPerSecond; }
    ui::SearchId StartSearch(Ipv4 address, const std::string& pattern) override {
        searches.push_back({nextSearchId, address, pattern});
        return nextSearchId++;
    }
    void CancelSearch(ui::SearchId id) override { cancelledSearches.push_back(id); }
    // The search of the host's last StartSearch.
    ui::SearchId SearchOf(Ipv4 address) const {
        for (auto search = searches.rbegin(); search != searches.rend(); ++search)
            if (search->address == address) return search->id;
        return 0;
    }
    void QueueChatMessage(const std::string& text) override { chatSent.push_back(text); }
    void SetHostKnown(Ipv4 address, bool known) override {
        std::erase(serverKnown, address);
        if (known) serverKnown.push_back(address);
    }
    void AddChatRecipient(Ipv4 address) override { recipients.push_back(address); }
    void RemoveChatRecipient(Ipv4 address) override { std::erase(recipients, address); }
    // Shutdown waits here for the network threads, so every flag they watch must be up by now.
    // Only where a test asks: a job whose report a test delivered without reaping it may point
    // into a record the controller has freed.
    void WaitForThreads() override {
        if (flagsAtWait == nullptr) return;
        for (const auto& [id, job] : live)
            if (job.stop) *flagsAtWait += job.stop->load() ? "1" : "0";
    }

    JobId Add(Job job) {
        job.id = nextId++;
        jobs.push_back(job);
        live[job.id] = job;
        return job.id;
    }
    // The job has reported and been reaped: the queue no longer knows it.
    void Reap(JobId id) { live.erase(id); }
    void ReapAll() { live.clear(); }
    void ClearJobs() { jobs.clear(); }
    const Job& Last() const { return jobs.back(); }
    std::vector<Job> JobsOf(JobType type) const {
        std::vector<Job> result;
        std::copy_if(jobs.begin(), jobs.end(), std::back_inserter(result),
                     [&](const Job& job) { return job.type == type; });
        return result;
    }
    // The jobs since the last ClearJobs, one line each: "<type> <address>[ <path>][ -> <local>]".
    std::vector<std::string> JobLines() const {
        const char* types[] = {"retrieve", "expand", "info", "modified", "stream"};
        std::vector<std::string> lines;
        for (const Job& job : jobs) {
            lines.push_back(types[int(job.type)] + (" " + net::FormatIpv4(job.address)));
            if (!job.remotePath.empty()) lines.back() += " " + job.remotePath;
            if (!job.localPath.empty()) lines.back() += " -> " + job.localPath;
        }
        return lines;
    }

    ui::NetworkListeners listeners;
    JobId nextId = kFirstJobId;
    std::vector<Job> jobs;  // since the last ClearJobs
    // Folder downloads go as streams only where a test says the host has them.
    bool streamsFolders = false;
    std::vector<std::shared_ptr<client::StreamBatch>> streams;
    std::map<JobId, Job> live;
    std::vector<JobId> cancelled;
    struct Search {
        ui::SearchId id;
        Ipv4 address;
        std::string pattern;
    };
    ui::SearchId nextSearchId = 1;
    std::vector<Search> searches;
    std::vector<ui::SearchId> cancelledSearches;
    std::vector<Ipv4> forgottenExtensions;
    std::vector<std::string> discarded;  // local paths of part files thrown away
    std::uint64_t downloadLimit = 0;
    std::optional<std::uint64_t> lastListedSize;
    std::vector<std::string> addedHosts;  // "<kind> <address> <name>"
    std::vector<Ipv4> knownHosts;
    std::vector<std::string> chatSent;
    std::vector<Ipv4> recipients;
    std::vector<Ipv4> serverKnown;
    std::map<std::uint32_t, ServerConnectionInfo> uploads;
    std::string serverHostName;
    // "1" for each raised flag of a live job; outlives this fake, which shutdown destroys.
    std::string* flagsAtWait = nullptr;
};

}  // namespace fakes
