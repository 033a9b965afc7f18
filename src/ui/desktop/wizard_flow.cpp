#include "ui/desktop/wizard_flow.h"

#include "core/settings_keys.h"
#include "ui/desktop/layout_settings.h"
#include "ui/desktop/share_checks.h"

namespace ui {

WelcomeTexts WelcomeTextsFor(bool firstRun) {
    if (firstRun) {
        return {StringId::WelcomeTitleFirstRun, StringId::WelcomeIntroFirstRun,
                StringId::WelcomeGuideFirstRun, StringId::WelcomeFollowFirstRun};
    }
    return {StringId::WelcomeTitleShare, StringId::WelcomeIntroShare, StringId::WelcomeGuideShare,
            StringId::WelcomeFollowShare};
}

StringId WizardCaption(bool firstRun) {
    return firstRun ? StringId::WizardCaptionFirstRun : StringId::WizardCaptionShare;
}

std::optional<PageHeader> HeaderFor(WizardPage page) {
    switch (page) {
        case WizardPage::ComputerName:
            return PageHeader{StringId::ComputerNameTitle, StringId::ComputerNameSubtitle};
        case WizardPage::Folder:
            return PageHeader{StringId::ShareFolderTitle, StringId::ShareFolderSubtitle};
        case WizardPage::ShareName:
            return PageHeader{StringId::ShareFolderTitle, StringId::ShareNameSubtitle};
        case WizardPage::Welcome:
        case WizardPage::Completed:
            break;
    }
    return std::nullopt;
}

std::string ProposeShareNameForFolder(const std::string& folder) {
    const std::size_t end = folder.find_last_not_of("/\\");
    if (end == std::string::npos) return {};
    const std::string trimmed = folder.substr(0, end + 1);
    const std::size_t last = trimmed.find_last_of("/\\");
    return last == std::string::npos ? trimmed : trimmed.substr(last + 1);
}

WizardFlow::WizardFlow(bool firstRun, std::string initialHostName, FolderTest folderExists,
                       NameCheck nameRefusal)
    : firstRun_(firstRun),
      folderExists_(std::move(folderExists)),
      nameRefusal_(std::move(nameRefusal)),
      hostField_(std::move(initialHostName)) {}

WizardButtons WizardFlow::Buttons() const {
    switch (page_) {
        case WizardPage::Welcome:
            return {false, true, false};
        case WizardPage::ComputerName:
        case WizardPage::Folder:
        case WizardPage::ShareName:
            return {true, NextEnabled(), false};
        case WizardPage::Completed:
            return {true, false, true};
    }
    return {};
}

std::string WizardFlow::NameWarning() const {
    if (page_ != WizardPage::ShareName) return {};
    if (nameField_.find('\\') != std::string::npos) return Text(StringId::ShareNameBackslash);
    return nameRefusal_ ? nameRefusal_(nameField_) : std::string();
}

bool WizardFlow::NextEnabled() const {
    switch (page_) {
        case WizardPage::Welcome:
            return true;
        case WizardPage::ComputerName:
            return !hostField_.empty();
        case WizardPage::Folder:
            return folderExists_ && folderExists_(pathField_);
        case WizardPage::ShareName:
            return !nameField_.empty() && NameWarning().empty();
        case WizardPage::Completed:
            break;
    }
    return false;
}

void WizardFlow::Enter(WizardPage page) {
    page_ = page;
    if (page == WizardPage::Folder) {
        pathField_ = sharePath_;
    } else if (page == WizardPage::ShareName && shareName_.empty()) {
        // A name the user confirmed earlier survives a trip back to the folder page.
        nameField_ = ProposeShareNameForFolder(sharePath_);
    }
}

std::optional<WizardPage> WizardFlow::NextPage() const {
    switch (page_) {
        case WizardPage::Welcome:
            // The share wizard never shows the computer-name page.
            return firstRun_ ? WizardPage::ComputerName : WizardPage::Folder;
        case WizardPage::ComputerName:
            return shareNowBox_ ? WizardPage::Folder : WizardPage::Completed;
        case WizardPage::Folder:
            return WizardPage::ShareName;
        case WizardPage::ShareName:
            return WizardPage::Completed;
        case WizardPage::Completed:
            break;
    }
    return std::nullopt;
}

bool WizardFlow::Next() {
    const std::optional<WizardPage> next = NextPage();
    if (!next || !NextEnabled()) return false;
    switch (page_) {
        case WizardPage::ComputerName:
            hostName_ = hostField_.substr(0, kMaxWizardNameLength);
            shareNow_ = shareNowBox_;
            break;
        case WizardPage::Folder:
            sharePath_ = pathField_.substr(0, kMaxWizardPathLength);
            break;
        case WizardPage::ShareName:
            shareName_ = nameField_.substr(0, kMaxWizardNameLength);
            break;
        case WizardPage::Welcome:
        case WizardPage::Completed:
            break;
    }
    Enter(*next);
    return true;
}

bool WizardFlow::Back() {
    switch (page_) {
        case WizardPage::Welcome:
            return false;
        case WizardPage::ComputerName:
            Enter(WizardPage::Welcome);
            break;
        case WizardPage::Folder:
            Enter(firstRun_ ? WizardPage::ComputerName : WizardPage::Welcome);
            break;
        case WizardPage::ShareName:
            Enter(WizardPage::Folder);
            break;
        case WizardPage::Completed:
            Enter(firstRun_ && !shareNow_ ? WizardPage::ComputerName : WizardPage::ShareName);
            break;
    }
    return true;
}

bool WizardFlow::Finish(utilcpp::CParseini& settings) {
    if (page_ != WizardPage::Completed) return false;
    if (firstRun_) settings.SetString(settings_keys::kGlobal, settings_keys::kHostName, hostName_);
    if (shareNow_) settings.SetString(settings_keys::kShares, shareName_, sharePath_);
    // Unticked writes nothing: the view stays as the settings had it.
    if (OffersWebView() && webViewBox_)
        settings.SetInt(settings_keys::kGlobal, settings_keys::kWebView, 1);
    return true;
}

}  // namespace ui
