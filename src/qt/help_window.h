// The program's help: its own HTML pages in a browser window of their own, which stays open
// beside the main window. The pages come in the user's language where translated.
#pragma once

#include <QDialog>

class QTextBrowser;

namespace qtui {

class HelpWindow final : public QDialog {
    Q_OBJECT

public:
    explicit HelpWindow(QWidget* parent);

    // Shows the start page; false when the help is not installed.
    bool ShowStartPage();

private:
    QTextBrowser* browser_;
};

// Opens (or raises) the help window of `owner`; says so when the help is missing.
void ShowHelpWindow(QWidget* owner);

}  // namespace qtui
