// "Add host manually": an editable list of the hosts added before. OK hands the text to the
// controller's lookup and keeps the dialog open, with its text, until the controller answers;
// a name that cannot be found is said so and the text stays for correcting.
#pragma once

#include <QInputDialog>
#include <functional>
#include <string>

#include "ui/desktop/host_mru.h"

namespace qtui {

class AddHostDialog final : public QInputDialog {
    Q_OBJECT
public:
    // Starts the lookup of a text and later calls the given function with its outcome; false
    // when nothing was started.
    using StartLookup =
        std::function<bool(const std::string& text, std::function<void(ui::AddHostOutcome)> done)>;

    AddHostDialog(QWidget* parent, const QStringList& hosts, StartLookup start);

    void done(int result) override;
    // The controller's answer to OK (also for tests).
    void ShowOutcome(ui::AddHostOutcome outcome);
    bool IsWaiting() const { return waiting_; }

private:
    void SetWaiting(bool waiting);

    StartLookup start_;
    bool waiting_ = false;
};

}  // namespace qtui
