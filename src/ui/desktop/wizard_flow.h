// The wizard that names the computer and shares a folder: its pages, what each page lets the
// user do, and what Finish writes. One class serves the first-run wizard and the share wizard.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "core/parseini.h"
#include "ui/text/ui_strings.h"

namespace ui {

enum class WizardPage { Welcome, ComputerName, Folder, ShareName, Completed };

struct WizardButtons {
    bool back = false;
    bool next = false;  // shown but greyed when false on pages 2 to 4
    bool finish = false;
};

struct WelcomeTexts {
    StringId title;  // in the title font
    StringId intro;
    StringId guide;
    StringId follow;
};
WelcomeTexts WelcomeTextsFor(bool firstRun);
StringId WizardCaption(bool firstRun);

// Header title and subtitle; the welcome and completed pages have none.
struct PageHeader {
    StringId title;
    StringId subtitle;
};
std::optional<PageHeader> HeaderFor(WizardPage page);

// The longest texts the pages take from their fields: names 1023 bytes, a folder a whole
// local path.
inline constexpr std::size_t kMaxWizardNameLength = 1023;
inline constexpr std::size_t kMaxWizardPathLength = 4095;

// The share name proposed for a folder: trailing separators ("/" or "\") removed, then the
// text after the last separator, else the whole rest ("/data/Photos/" -> "Photos", "D:\" ->
// "D:", "/" -> "").
std::string ProposeShareNameForFolder(const std::string& folder);

class WizardFlow {
public:
    using FolderTest = std::function<bool(const std::string&)>;
    // The refusal of a share name, empty when the name may be used.
    using NameCheck = std::function<std::string(const std::string&)>;

    // initialHostName fills the computer-name field ("hostname", default the machine's name).
    // folderExists decides whether the folder page lets the user go on; nameRefusal whether the
    // share-name page does, besides the backslash.
    WizardFlow(bool firstRun, std::string initialHostName, FolderTest folderExists,
               NameCheck nameRefusal = {});

    bool FirstRun() const { return firstRun_; }
    WizardPage Page() const { return page_; }
    WizardButtons Buttons() const;

    // The fields as the pages show them; Set* stands for the user's editing.
    const std::string& HostField() const { return hostField_; }
    bool ShareNowChecked() const { return shareNowBox_; }
    const std::string& PathField() const { return pathField_; }
    const std::string& NameField() const { return nameField_; }
    // The completed page of the first-run wizard offers the web view, off until ticked.
    bool OffersWebView() const { return firstRun_; }
    bool WebViewChecked() const { return webViewBox_; }
    void SetWebViewChecked(bool checked) { webViewBox_ = checked; }
    void SetHostField(std::string text) { hostField_ = std::move(text); }
    void SetShareNowChecked(bool checked) { shareNowBox_ = checked; }
    void SetPathField(std::string text) { pathField_ = std::move(text); }
    void SetNameField(std::string text) { nameField_ = std::move(text); }
    // Browse on the folder page: a chosen folder replaces the field's text.
    void FolderChosen(std::string folder) { pathField_ = std::move(folder); }

    // The share-name page's warning line, empty when none is shown; Next waits for it to go.
    std::string NameWarning() const;

    // The state Finish writes from.
    bool ShareNow() const { return shareNow_; }
    const std::string& HostName() const { return hostName_; }
    const std::string& SharePath() const { return sharePath_; }
    const std::string& ShareName() const { return shareName_; }

    // Where Next leads from the current page with the fields as they are, enabled or not; none
    // on the completed page, which has Finish instead.
    std::optional<WizardPage> NextPage() const;

    // False (and nothing changes) when the button is not enabled on the current page.
    bool Next();
    bool Back();
    // Writes the result; false when Finish is not available. The settings are untouched before
    // Finish, and by Cancel.
    bool Finish(utilcpp::CParseini& settings);

private:
    void Enter(WizardPage page);
    bool NextEnabled() const;

    bool firstRun_;
    FolderTest folderExists_;
    NameCheck nameRefusal_;
    WizardPage page_ = WizardPage::Welcome;

    bool shareNow_ = true;
    std::string hostName_;
    std::string sharePath_;
    std::string shareName_;

    std::string hostField_;
    bool shareNowBox_ = true;
    bool webViewBox_ = false;
    std::string pathField_;
    std::string nameField_;
};

}  // namespace ui
