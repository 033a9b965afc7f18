#include "ui/controller/diagnosis_presenter.h"

#include "ui/text/diagnosis_text.h"

namespace ui {

// What the posted calls reach: they run on the UI thread, possibly after the presenter is gone,
// and then find `view` cleared.
struct DiagnosisPresenter::Shared {
    DiagnosisView* view = nullptr;
    bool running = false;
};

namespace {

DiagnosisRow RowFor(const diagnosis::Finding& finding) {
    return {finding.mark, ShowText(finding.title), ShowText(finding.summary), ShowText(finding.fix),
            finding.details};
}

}  // namespace

DiagnosisPresenter::DiagnosisPresenter(DiagnosisView& view, Dispatcher& dispatcher, Runner runner)
    : dispatcher_(dispatcher),
      runner_(runner ? std::move(runner) : Runner(diagnosis::RunDiagnosis)),
      shared_(std::make_shared<Shared>()) {
    shared_->view = &view;
}

DiagnosisPresenter::~DiagnosisPresenter() {
    shared_->view = nullptr;
    stop_ = true;
    if (worker_.joinable()) worker_.join();
}

bool DiagnosisPresenter::Running() const {
    return shared_->running;
}

bool DiagnosisPresenter::Start(const std::string& host) {
    if (shared_->running) return false;
    if (worker_.joinable()) worker_.join();
    shared_->running = true;
    shared_->view->ShowRunning(true);
    diagnosis::DiagnosisRequest request;
    request.host = host;
    shared_->view->ShowProgress(0, diagnosis::ExpectedFindings(request));
    worker_ = std::thread([this, request, shared = shared_] {
        const auto post = [this, shared](std::function<void(DiagnosisView&)> show) {
            dispatcher_.Post([shared, show = std::move(show)] {
                if (shared->view != nullptr) show(*shared->view);
            });
        };
        const diagnosis::Report report = runner_(
            request,
            [&](const diagnosis::Finding& finding, int done, int total) {
                post([row = RowFor(finding), done, total](DiagnosisView& view) {
                    view.AddRow(row);
                    view.ShowProgress(done, total);
                });
            },
            &stop_);
        const diagnosis::Mark mark =
            report.AllWell() ? diagnosis::Mark::Good : diagnosis::Mark::Problem;
        post([mark, summary = ShowText(report.verdict.summary), fix = ShowText(report.verdict.fix),
              shared](DiagnosisView& view) {
            shared->running = false;
            view.ShowProgress(1, 1);
            view.ShowVerdict(mark, summary, fix);
            view.ShowRunning(false);
        });
    });
    return true;
}

}  // namespace ui
