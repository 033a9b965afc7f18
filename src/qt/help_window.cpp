#include "qt/help_window.h"

#include <QMessageBox>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

#include "qt/qt_text.h"
#include "ui/desktop/help_pages.h"

namespace qtui {

HelpWindow::HelpWindow(QWidget* parent) : QDialog(parent), browser_(new QTextBrowser(this)) {
    setObjectName("helpWindow");
    setWindowTitle(Tr(ui::StringId::ProductName));
    // Links to other pages open here; the web is not ours to show.
    browser_->setOpenExternalLinks(false);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(browser_);
    resize(640, 560);
}

bool HelpWindow::ShowStartPage() {
    const std::filesystem::path page = ui::HelpPage(ui::kHelpStartPage, ui::CurrentLanguage());
    if (page.empty()) return false;
    browser_->setSource(QUrl::fromLocalFile(ToQt(page.string())));
    return true;
}

void ShowHelpWindow(QWidget* owner) {
    auto* window = owner->findChild<HelpWindow*>("helpWindow");
    if (window == nullptr) window = new HelpWindow(owner);
    if (!window->ShowStartPage()) {
        QMessageBox::warning(owner, Tr(ui::StringId::ProductName), Tr(ui::StringId::HelpMissing));
        return;
    }
    window->show();
    window->raise();
    window->activateWindow();
}

}  // namespace qtui
