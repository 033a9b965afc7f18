// "Options": one page, "General", with the computer name and the sound switch. OK writes both to
// section "global"; Cancel writes nothing. F1 on either control explains it in a popup.
#pragma once

#include <QDialog>

#include "core/parseini.h"

class QCheckBox;
class QLineEdit;
class QTabWidget;

namespace qtui {

class OptionsSheet final : public QDialog {
    Q_OBJECT
public:
    OptionsSheet(QWidget* owner, utilcpp::CParseini& settings);

    // Run modally; true when closed with OK (then "hostname" may have changed).
    static bool Run(QWidget* owner, utilcpp::CParseini& settings);

    QLineEdit* ComputerNameField() const { return name_; }
    QCheckBox* SoundBox() const { return sound_; }
    QTabWidget* Pages() const { return pages_; }

    void accept() override;

private:
    // The explanation of the focused control at the mouse position.
    void ShowContextHelp();

    utilcpp::CParseini& settings_;
    QTabWidget* pages_;
    QLineEdit* name_;
    QCheckBox* sound_;
};

}  // namespace qtui
