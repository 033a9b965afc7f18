#include "qt/folder_browser.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>

namespace qtui {

QString ChooserStartFolder(const QString& lastUsed, QStandardPaths::StandardLocation otherwise) {
    if (!lastUsed.isEmpty() && QFileInfo(lastUsed).isDir()) return lastUsed;
    const QString standard = QStandardPaths::writableLocation(otherwise);
    if (!standard.isEmpty() && QFileInfo(standard).isDir()) return standard;
    return QDir::homePath();
}

FolderBrowser SystemFolderBrowser() {
    return [](QWidget* owner, const QString& title, const QString& start) {
        return QFileDialog::getExistingDirectory(
            owner, title, ChooserStartFolder(start, QStandardPaths::HomeLocation));
    };
}

}  // namespace qtui
