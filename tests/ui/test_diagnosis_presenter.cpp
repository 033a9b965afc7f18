#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "ui/controller/diagnosis_presenter.h"
#include "ui/controller/dispatcher_queue.h"

namespace ui {
namespace {

using diagnosis::Mark;

struct RecordingView final : DiagnosisView {
    void ShowRunning(bool running) override { log += running ? "[start]" : "[end]"; }
    void ShowProgress(int done, int total) override {
        log += std::to_string(done) + "/" + std::to_string(total) + " ";
    }
    void AddRow(const DiagnosisRow& row) override {
        rows.push_back(row);
        log += "row ";
    }
    void ShowVerdict(Mark mark, const std::string& summary, const std::string& fix) override {
        verdictMark = mark;
        verdict = summary + " | " + fix;
        log += "verdict ";
    }
    std::string log;
    std::vector<DiagnosisRow> rows;
    Mark verdictMark = Mark::Good;
    std::string verdict;
};

diagnosis::Finding MakeFinding(Mark mark, std::string summaryArg) {
    diagnosis::Finding finding;
    finding.title = {"Its announcements", {}};
    finding.mark = mark;
    finding.summary = {"%s is %s.", {"beta", std::move(summaryArg)}};
    finding.fix = {"Start Wendaro on %s.", {"beta"}};
    return finding;
}

// Pumps the queue until the presenter's run has ended, at most for five seconds.
void PumpUntilDone(QueuedDispatcher& dispatcher, const DiagnosisPresenter& presenter) {
    for (int i = 0; i < 500 && presenter.Running(); ++i) {
        dispatcher.WaitAndRun(std::chrono::milliseconds(10));
    }
}

TEST(DiagnosisPresenter, ShowsFindingsInOrderThenTheVerdict) {
    QueuedDispatcher dispatcher;
    RecordingView view;
    std::string askedHost;
    DiagnosisPresenter presenter(
        view, dispatcher,
        [&](const diagnosis::DiagnosisRequest& request, const diagnosis::FindingSink& sink,
            const StopFlag*) {
            askedHost = request.host;
            diagnosis::Report report;
            report.findings = {MakeFinding(Mark::Good, "10.0.0.2"),
                               MakeFinding(Mark::Problem, "off")};
            sink(report.findings[0], 1, 2);
            sink(report.findings[1], 2, 2);
            report.verdict = {diagnosis::Cause::NotRunning,
                              {"%s is there, but Wendaro is not running on it.", {"beta"}},
                              {"Start Wendaro on %s.", {"beta"}}};
            return report;
        });
    ASSERT_TRUE(presenter.Start("beta"));
    EXPECT_FALSE(presenter.Start("gamma")) << "a second run while one is running";
    PumpUntilDone(dispatcher, presenter);
    EXPECT_FALSE(presenter.Running());
    EXPECT_EQ(askedHost, "beta");
    EXPECT_EQ(view.log, "[start]0/10 row 1/2 row 2/2 1/1 verdict [end]");
    ASSERT_EQ(view.rows.size(), 2u);
    EXPECT_EQ(view.rows[0].summary, "beta is 10.0.0.2.");
    EXPECT_EQ(view.rows[1].mark, Mark::Problem);
    EXPECT_EQ(view.rows[1].fix, "Start Wendaro on beta.");
    EXPECT_EQ(view.verdictMark, Mark::Problem);
    EXPECT_EQ(view.verdict,
              "beta is there, but Wendaro is not running on it. | Start Wendaro on beta.");
    EXPECT_TRUE(presenter.Start("")) << "a new run once the last has ended";
    PumpUntilDone(dispatcher, presenter);
}

// Closing the dialog in the middle of a run stops the run; what it still reports is dropped.
TEST(DiagnosisPresenter, DestroyedMidRunStopsItAndShowsNothingMore) {
    QueuedDispatcher dispatcher;
    RecordingView view;
    std::atomic<bool> started{false};
    const auto before = std::chrono::steady_clock::now();
    {
        DiagnosisPresenter presenter(
            view, dispatcher,
            [&](const diagnosis::DiagnosisRequest&, const diagnosis::FindingSink& sink,
                const StopFlag* stop) {
                started = true;
                for (int i = 0; i < 500 && !IsStopped(stop); ++i) {
                    std::this_thread::sleep_for(std::chrono::milliseconds(10));
                }
                sink(MakeFinding(Mark::Good, "late"), 1, 1);
                return diagnosis::Report{};
            });
        ASSERT_TRUE(presenter.Start("beta"));
        for (int i = 0; i < 500 && !started; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    // The run noticed the stop instead of taking its five seconds.
    EXPECT_LT(std::chrono::steady_clock::now() - before, std::chrono::seconds(2));
    dispatcher.RunPending();
    EXPECT_TRUE(view.rows.empty());
    EXPECT_EQ(view.log, "[start]0/10 ");
}

}  // namespace
}  // namespace ui
