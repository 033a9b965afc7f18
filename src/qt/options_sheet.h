// "Options": one page, "General", with the computer name, the sound switch, the downloads' speed
// limit and the web view's switch (with the address to type and the browsers let in). OK writes the
// switches and the name to section "global"; Cancel writes nothing. Revoking a browser takes effect
// at once, so that a change of mind cannot be lost by Cancel. F1 on the name or the sound switch
// explains it.
#pragma once

#include <QDialog>

#include "core/parseini.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QSpinBox;
class QVBoxLayout;
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
    QCheckBox* WebViewBox() const { return webView_; }
    QSpinBox* DownloadLimitBox() const { return downloadLimit_; }
    QTabWidget* Pages() const { return pages_; }
    // The QR code of the address to type; null when this machine has no address to show.
    QLabel* QrCode() const { return qrCode_; }

    void accept() override;

private:
    // The explanation of the focused control at the mouse position.
    void ShowContextHelp();
    // The approved browsers, each with its Revoke button.
    void FillBrowsers();

    utilcpp::CParseini& settings_;
    QTabWidget* pages_;
    QLineEdit* name_;
    QCheckBox* sound_;
    QCheckBox* webView_;
    QSpinBox* downloadLimit_;
    QVBoxLayout* browsers_;
    QLabel* qrCode_ = nullptr;
};

}  // namespace qtui
