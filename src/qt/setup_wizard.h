// The wizard that names the computer and shares a folder: the first-run wizard at the first start
// and the share wizard of "Add share". The pages show what ui::WizardFlow decides: which page
// follows, when Next and Finish are enabled, the proposed share name and the warning, and what
// Finish writes. Cancel writes nothing.
#pragma once

#include <QWizard>
#include <string>

#include "core/parseini.h"
#include "qt/folder_browser.h"
#include "ui/desktop/wizard_flow.h"

class QCheckBox;
class QLabel;
class QLineEdit;

namespace qtui {

class SetupWizard final : public QWizard {
    Q_OBJECT
public:
    SetupWizard(QWidget* owner, utilcpp::CParseini& settings, bool firstRun,
                FolderBrowser browse = SystemFolderBrowser());

    const ui::WizardFlow& Flow() const { return flow_; }
    QLineEdit* HostField() const { return hostField_; }
    QCheckBox* ShareNowBox() const { return shareNowBox_; }
    QLineEdit* PathField() const { return pathField_; }
    QPushButton* BrowseButton() const { return browseButton_; }
    QLineEdit* NameField() const { return nameField_; }
    QLabel* NameWarning() const { return nameWarning_; }
    // Null in the share wizard, whose last page does not offer the web view.
    QCheckBox* WebViewBox() const { return webViewBox_; }

    int nextId() const override;
    bool validateCurrentPage() override;
    // Finish: the flow writes its result, then the wizard closes.
    void accept() override;

protected:
    void initializePage(int id) override;
    void cleanupPage(int id) override;

private:
    QWizardPage* AddFlowPage(ui::WizardPage page);
    void BuildWelcomePage(QWizardPage* page);
    void BuildComputerNamePage(QWizardPage* page);
    void BuildFolderPage(QWizardPage* page);
    void BuildShareNamePage(QWizardPage* page);
    void BuildCompletedPage(QWizardPage* page);
    // The current page's fields as the flow holds them.
    void ShowFlow();
    void FieldsChanged();

    utilcpp::CParseini& settings_;
    ui::WizardFlow flow_;
    FolderBrowser browse_;
    QLineEdit* hostField_ = nullptr;
    QCheckBox* shareNowBox_ = nullptr;
    QLineEdit* pathField_ = nullptr;
    QPushButton* browseButton_ = nullptr;
    QLineEdit* nameField_ = nullptr;
    QLabel* nameWarning_ = nullptr;
    QCheckBox* webViewBox_ = nullptr;
    bool showing_ = false;
};

// "Add share": true on Finish.
bool RunShareWizard(QWidget* owner, utilcpp::CParseini& settings);

// The first start: the wizard unless a share exists, then "firstinstalled" = 1 whatever the
// outcome. True when a share existed or the wizard was finished.
bool RunFirstRunWizard(QWidget* owner, utilcpp::CParseini& settings);

}  // namespace qtui
