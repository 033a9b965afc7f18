#include "qt/folder_browser.h"

#include <QFileDialog>

namespace qtui {

FolderBrowser SystemFolderBrowser() {
    return [](QWidget* owner, const QString& title, const QString& start) {
        return QFileDialog::getExistingDirectory(owner, title, start);
    };
}

}  // namespace qtui
