// The folder browser of the share dialog and the share wizard, behind a function so that the
// widget tests can stand in for the user's choice.
#pragma once

#include <QStandardPaths>
#include <QString>
#include <functional>

class QWidget;

namespace qtui {

// Lets the user pick a folder, starting at `start`; the chosen folder's full path, or an empty
// text when the user cancelled.
using FolderBrowser =
    std::function<QString(QWidget* owner, const QString& title, const QString& start)>;

// Where a folder browser opens: `lastUsed` while it is a folder, else the user's `otherwise`
// folder (XDG) when it exists, else home; never the folder the program was started in.
QString ChooserStartFolder(const QString& lastUsed, QStandardPaths::StandardLocation otherwise);

// The platform's folder browser (folders only), starting at `start` or else in home.
FolderBrowser SystemFolderBrowser();

}  // namespace qtui
