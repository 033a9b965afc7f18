// Runs the diagnosis for the "Find a missing computer" dialog on a thread of its own and hands
// every finding, translated, to the dialog on the UI thread as it arrives.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <thread>

#include "core/stop_flag.h"
#include "diagnosis/diagnosis.h"
#include "ui/controller/dispatcher.h"
#include "ui/views/diagnosis_view.h"

namespace ui {

class DiagnosisPresenter {
public:
    using Runner = std::function<diagnosis::Report(const diagnosis::DiagnosisRequest&,
                                                   const diagnosis::FindingSink&, const StopFlag*)>;

    // `runner` is the real diagnosis unless a test passes its own.
    DiagnosisPresenter(DiagnosisView& view, Dispatcher& dispatcher, Runner runner = {});
    // Stops a run and waits for its thread; nothing reaches the view afterwards.
    ~DiagnosisPresenter();
    DiagnosisPresenter(const DiagnosisPresenter&) = delete;
    DiagnosisPresenter& operator=(const DiagnosisPresenter&) = delete;

    // UI thread. Starts a run for `host` (a name or address, empty: this computer only) unless
    // one is running; returns whether it started.
    bool Start(const std::string& host);
    bool Running() const;

private:
    struct Shared;
    void Finish();

    Dispatcher& dispatcher_;
    Runner runner_;
    std::shared_ptr<Shared> shared_;
    StopFlag stop_;
    std::thread worker_;
};

}  // namespace ui
