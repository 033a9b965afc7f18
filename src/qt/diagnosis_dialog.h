// Help > "Find a missing computer": runs the diagnosis through its presenter and shows each
// finding with a green, amber or red mark and what to do, then the verdict.
#pragma once

#include <QDialog>
#include <memory>

#include "ui/controller/diagnosis_presenter.h"
#include "ui/views/diagnosis_view.h"

class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QTreeWidget;

namespace qtui {

class DiagnosisDialog final : public QDialog, public ui::DiagnosisView {
    Q_OBJECT
public:
    DiagnosisDialog(QWidget* parent, ui::Dispatcher& dispatcher);

    void ShowRunning(bool running) override;
    void ShowProgress(int done, int total) override;
    void AddRow(const ui::DiagnosisRow& row) override;
    void ShowVerdict(diagnosis::Mark mark, const std::string& summary,
                     const std::string& fix) override;

    QTreeWidget* Results() const { return results_; }
    QLabel* Verdict() const { return verdict_; }
    QLineEdit* HostField() const { return host_; }
    QPushButton* StartButton() const { return start_; }

private:
    QLineEdit* host_ = nullptr;
    QPushButton* start_ = nullptr;
    QProgressBar* progress_ = nullptr;
    QTreeWidget* results_ = nullptr;
    QLabel* verdict_ = nullptr;
    // Last, so that it goes first: its thread must end before the widgets it reports to.
    std::unique_ptr<ui::DiagnosisPresenter> presenter_;
};

}  // namespace qtui
