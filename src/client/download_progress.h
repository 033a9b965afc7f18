// Turns the progress reports of a file receive into the download reports of one job. The end is
// reported by the worker, which knows why a download failed.
#pragma once

#include "client/job_queue.h"
#include "net/progress.h"

class DownloadProgressAdapter final : public net::ProgressListener {
public:
    DownloadProgressAdapter(DownloadListener& listener, JobId id) : listener_(listener), id_(id) {}

    void OnTransferStart(void*) override { listener_.OnDownloadStarted(id_); }
    void OnTransferProgress(void*, unsigned percent, float speedKBs) override {
        listener_.OnDownloadProgress(id_, percent, speedKBs);
    }
    void OnTransferEnd(void*, bool) override {}

private:
    DownloadListener& listener_;
    JobId id_;
};
