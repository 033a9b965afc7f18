// A recording stand-in for discovery, the share server, the job queue and chat. It keeps the
// contracts the controller relies on: job ids count up from the first job id and stay known until
// the test reports them done, and AddHost / RemoveHost report back through the host listener like
// discovery does (once per address).
#pragma once

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "ui/lumvale_dialog_network.h"

namespace fakes {

class FakeNetwork final : public ui::ControllerNetwork {
public:
    struct Job {
        JobId id = 0;
        JobType type = JobType::Expand;
        Ipv4 address = 0;
        std::string remotePath;
        std::string localPath;
        const StopFlag* stop = nullptr;
    };

    explicit FakeNetwork(const ui::NetworkListeners& listeners) : listeners_(listeners) {}

    void AddHost(Ipv4 address, const std::string& name, HostKind kind) override {
        addedHosts.push_back({address, name, kind});
        if (std::find(knownHosts.begin(), knownHosts.end(), address) != knownHosts.end()) return;
        knownHosts.push_back(address);
        listeners_.host.OnHostAppeared(address, name, kind);
    }
    void RemoveHost(Ipv4 address) override {
        const auto known = std::find(knownHosts.begin(), knownHosts.end(), address);
        if (known == knownHosts.end()) return;
        knownHosts.erase(known);
        listeners_.host.OnHostDisappeared(address);
    }
    void CheckAddressChange() override { ++addressChecks; }

    void SetServerHostName(const std::string& name) override { serverHostName = name; }
    bool GetUploadInfo(std::uint32_t uploadId, ServerConnectionInfo& out) const override {
        const auto found = uploads.find(uploadId);
        if (found == uploads.end()) return false;
        out = found->second;
        return true;
    }

    JobId AddExpandJob(Ipv4 address, const std::string& remotePath, const StopFlag* stop) override {
        return Add(JobType::Expand, address, remotePath, {}, stop);
    }
    JobId AddHostInfoJob(Ipv4 address, const StopFlag* stop) override {
        return Add(JobType::GetHostInfo, address, {}, {}, stop);
    }
    JobId AddHostModifiedJob(Ipv4 address, const StopFlag* stop) override {
        return Add(JobType::HostModified, address, {}, {}, stop);
    }
    JobId AddRetrieveJob(Ipv4 address, const std::string& remotePath, const std::string& localPath,
                         const StopFlag* stop) override {
        return Add(JobType::Retrieve, address, remotePath, localPath, stop);
    }
    bool GetJobInfo(JobId id, JobInfo& out) const override {
        const auto found = live_.find(id);
        if (found == live_.end()) return false;
        out = JobInfo{found->second.type, found->second.address, found->second.remotePath,
                      found->second.localPath};
        return true;
    }

    void QueueChatMessage(const std::string& text) override { chatSent.push_back(text); }
    void AddChatRecipient(Ipv4 address) override { recipients.push_back(address); }
    void RemoveChatRecipient(Ipv4 address) override {
        const auto found = std::find(recipients.begin(), recipients.end(), address);
        if (found != recipients.end()) recipients.erase(found);
    }

    void WaitForThreads() override { ++waits; }

    // The job has reported and been reaped: the queue no longer knows it.
    void Reap(JobId id) { live_.erase(id); }
    // Every job queued so far has reported.
    void ReapAll() { live_.clear(); }
    // Jobs of one type, in the order queued.
    std::vector<Job> JobsOf(JobType type) const {
        std::vector<Job> result;
        for (const Job& job : jobs) {
            if (job.type == type) result.push_back(job);
        }
        return result;
    }
    const Job& Last() const { return jobs.back(); }
    void ClearJobs() { jobs.clear(); }

    struct AddedHost {
        Ipv4 address;
        std::string name;
        HostKind kind;
    };
    std::vector<AddedHost> addedHosts;
    std::vector<Ipv4> knownHosts;
    std::vector<Job> jobs;
    std::vector<std::string> chatSent;
    std::vector<Ipv4> recipients;
    std::map<std::uint32_t, ServerConnectionInfo> uploads;
    std::string serverHostName;
    int addressChecks = 0;
    int waits = 0;

private:
    JobId Add(JobType type, Ipv4 address, const std::string& remotePath,
              const std::string& localPath, const StopFlag* stop) {
        const Job job{nextId_++, type, address, remotePath, localPath, stop};
        jobs.push_back(job);
        live_[job.id] = job;
        return job.id;
    }

    ui::NetworkListeners listeners_;
    JobId nextId_ = kFirstJobId;
    std::map<JobId, Job> live_;
};

}  // namespace fakes
