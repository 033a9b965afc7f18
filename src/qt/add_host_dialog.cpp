#include "qt/add_host_dialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>

#include "qt/qt_text.h"

namespace qtui {

AddHostDialog::AddHostDialog(QWidget* parent, const QStringList& hosts, StartLookup start)
    : QInputDialog(parent), start_(std::move(start)) {
    setWindowTitle(Tr(ui::StringId::AddHostTitle));
    setLabelText(Tr(ui::StringId::AddHostExplanation) + "\n\n" + Tr(ui::StringId::AddHostLabel));
    setComboBoxItems(hosts);
    setComboBoxEditable(true);
    setTextValue({});
}

void AddHostDialog::done(int result) {
    if (result != QDialog::Accepted) {
        QInputDialog::done(result);
        return;
    }
    if (waiting_) return;
    // The answer comes from the controller's timer: it is shown from the event loop, never
    // inside the controller, and not at all once the dialog is gone.
    QPointer<AddHostDialog> self(this);
    const bool started = start_ && start_(FromQt(textValue()), [self](ui::AddHostOutcome outcome) {
                             QMetaObject::invokeMethod(
                                 self,
                                 [self, outcome] {
                                     if (self) self->ShowOutcome(outcome);
                                 },
                                 Qt::QueuedConnection);
                         });
    if (started) SetWaiting(true);
}

void AddHostDialog::ShowOutcome(ui::AddHostOutcome outcome) {
    SetWaiting(false);
    if (outcome == ui::AddHostOutcome::Accepted) {
        QInputDialog::done(QDialog::Accepted);
    } else if (outcome == ui::AddHostOutcome::Unresolved) {
        QMessageBox::warning(this, Tr(ui::StringId::ProductName),
                             Tr(ui::StringId::HostNotResolved));
    }
}

void AddHostDialog::SetWaiting(bool waiting) {
    waiting_ = waiting;
    if (auto* input = findChild<QComboBox*>()) input->setEnabled(!waiting);
    if (auto* buttons = findChild<QDialogButtonBox*>()) {
        if (QPushButton* ok = buttons->button(QDialogButtonBox::Ok)) ok->setEnabled(!waiting);
    }
    if (waiting) {
        setCursor(Qt::WaitCursor);
    } else {
        unsetCursor();
    }
}

}  // namespace qtui
