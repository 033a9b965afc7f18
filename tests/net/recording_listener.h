// A progress listener that records its calls, for checking their order and values.
#pragma once

#include <mutex>
#include <string>
#include <vector>

#include "net/progress.h"

namespace net_test {

struct ProgressEvent {
    enum Kind { Start, Progress, End } kind;
    void* context = nullptr;
    unsigned percent = 0;
    float speed = 0;
    bool success = false;
};

class RecordingListener final : public net::ProgressListener {
public:
    void OnTransferStart(void* context) override { Add({ProgressEvent::Start, context}); }
    void OnTransferProgress(void* context, unsigned percent, float speedKBs) override {
        Add({ProgressEvent::Progress, context, percent, speedKBs});
    }
    void OnTransferEnd(void* context, bool success) override {
        Add({ProgressEvent::End, context, 0, 0, success});
    }

    std::vector<ProgressEvent> Events() const {
        std::lock_guard lock(mutex_);
        return events_;
    }

    // "S", "P" and "E+"/"E-" in call order, progress runs collapsed to one "P*".
    std::string Shape() const {
        std::string shape;
        for (const ProgressEvent& event : Events()) {
            if (event.kind == ProgressEvent::Start) shape += "S";
            if (event.kind == ProgressEvent::Progress && !shape.ends_with("P*")) shape += "P*";
            if (event.kind == ProgressEvent::End) shape += event.success ? "E+" : "E-";
        }
        return shape;
    }

private:
    void Add(ProgressEvent event) {
        std::lock_guard lock(mutex_);
        events_.push_back(event);
    }

    mutable std::mutex mutex_;
    std::vector<ProgressEvent> events_;
};

}  // namespace net_test
