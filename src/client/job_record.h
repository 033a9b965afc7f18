// A job as the queue keeps it from its addition until its worker has been reaped.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <thread>

#include "client/job_queue.h"

struct CJobQueue::Job {
    bool light = true;
    std::thread thread;  // not joinable while waiting
    JobId id = 0;
    JobType type = JobType::Expand;
    Ipv4 address = 0;
    std::string remotePath;
    std::string localPath;
    const StopFlag* stop = nullptr;
    std::optional<std::uint64_t> expectedSize;
    // Of a folder stream: the files, and how far the stream came.
    std::shared_ptr<client::StreamBatch> batch;
    // What the network calls of a light job watch instead of `stop`: set by the scheduler once
    // `stop` is set or the job's time is up.
    StopFlag abort{false};
    // Steady-clock milliseconds by which a running light job must be done.
    std::int64_t deadlineMs = 0;
    // A light job for a host that had not answered us when it started.
    bool countedUnanswered = false;
    // Set under the queue lock by the worker as its last step; the scheduler then joins it.
    bool finished = false;
};
