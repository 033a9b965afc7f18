// "Share properties": a share's name and folder, checked and written to the "shares" section on
// OK. Serves a folder dropped onto the main window (a new share) and the properties of an
// existing share (which may be renamed). Cancel writes nothing.
#pragma once

#include <QDialog>
#include <string>

#include "core/parseini.h"
#include "qt/folder_browser.h"

class QLineEdit;

namespace qtui {

class ShareDialog final : public QDialog {
    Q_OBJECT
public:
    // originalName empty: a new share; else the share of that name is edited.
    ShareDialog(QWidget* owner, utilcpp::CParseini& settings, std::string originalName,
                const std::string& name, const std::string& path,
                FolderBrowser browse = SystemFolderBrowser());

    // Run modally; true on OK, with the name and path as written.
    static bool AddShare(QWidget* owner, utilcpp::CParseini& settings, std::string& name,
                         std::string& path);
    static bool EditShare(QWidget* owner, utilcpp::CParseini& settings, std::string& name,
                          std::string& path);

    std::string Name() const;
    std::string Path() const;
    QLineEdit* NameField() const { return name_; }
    QLineEdit* PathField() const { return path_; }

    // OK: the checks, each failure a message with the dialog left open; then the write.
    void accept() override;

private:
    void Browse();

    utilcpp::CParseini& settings_;
    const std::string originalName_;
    FolderBrowser browse_;
    QLineEdit* name_;
    QLineEdit* path_;
};

}  // namespace qtui
