// The folder browser of the share dialog and the share wizard, behind a function so that the
// widget tests can stand in for the user's choice.
#pragma once

#include <QString>
#include <functional>

class QWidget;

namespace qtui {

// Lets the user pick a folder, starting at `start`; the chosen folder's full path, or an empty
// text when the user cancelled.
using FolderBrowser =
    std::function<QString(QWidget* owner, const QString& title, const QString& start)>;

// The platform's folder browser (folders only).
FolderBrowser SystemFolderBrowser();

}  // namespace qtui
