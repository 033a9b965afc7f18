// The program's user texts, looked up by id. The English texts are the keys of the gettext
// catalogues under po/, compiled at build time; a language without a catalogue, or a text the
// catalogue lacks, shows English. Placeholders are printf-style (%s, %i, %u, %%); a translation
// that needs its arguments in another order numbers them ("%2$s ... %1$s"), as gettext allows.
// Line breaks are "\n".
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace ui {

enum class Language : int { Spanish, German, English, French, Italian, Dutch };
inline constexpr int kLanguageCount = 6;

enum class StringId : int {
    // Product and main window
    ProductName,     // "Tavrin Wendaro": captions of windows and message boxes
    AboutTitle,      // "About Tavrin Wendaro"
    TransferGroup,   // "Data transfer in process"
    ChatGroup,       // "Chat"
    SendButton,      // "Send"
    TooltipOptions,  // "Options": also the options sheet's caption
    TooltipAddShare,
    TooltipUp,
    ColumnName,
    ColumnSize,
    ColumnStatus,
    ColumnHost,
    SizeKilobytes,  // "%s kB"
    LonelyHostHint,
    ExitWhileTransferring,
    // Menus
    MenuFile,
    MenuTools,
    MenuHelp,
    MenuDownload,
    MenuDownloadTo,  // "Download to %s"
    MenuAddShare,
    MenuRemoveShare,
    MenuShareProperties,
    MenuAddHostManually,
    MenuRemoveHost,
    MenuRefresh,
    MenuClose,
    MenuOptions,
    MenuHelpTopics,
    MenuAbout,
    MenuCancel,
    // Network events and transfers
    UnknownHostWantsDownload,
    ChatNotDelivered,  // "Not delivered to %s: %s"
    ListingCut,        // "This listing was cut: %s more entries were left out."
    StatusWait,
    StatusReceive,  // "Receive %u%% (%s KB/s)"
    StatusSend,     // "Send %u%% (%s KB/s)"
    StatusCancelled,
    StatusFailed,
    StatusFinished,
    StatusFinishedVerified,
    // Why a download failed, by util::ErrorKind
    FailedUnreachable,
    FailedRefused,
    FailedNoSuchFile,
    FailedConnectionLost,
    FailedTimedOut,
    FailedBadReply,
    FailedWrongSize,
    FailedDiskFull,
    FailedCannotWrite,
    FailedDamaged,
    StatusReceiveFolder,  // "Receive (%i/%i) %u%% (%s KB/s)"
    SelectTargetFolder,
    FileExists,
    FolderExists,
    // Add host dialog
    AddHostTitle,
    AddHostExplanation,
    AddHostLabel,
    ButtonOk,
    ButtonCancel,
    HostNotResolved,
    // Options
    OptionsGeneralPage,
    OptionsComputerGroup,
    OptionsComputerName,
    OptionsSoundGroup,
    OptionsActivateSounds,
    OptionsComputerNameHelp,
    OptionsSoundHelp,
    // Share dialog
    ShareDialogTitle,
    ShareGroup,
    ShareNameLabel,
    SharePathLabel,
    ShareBrowseButton,
    SelectShareFolder,
    ShareNameAndPathMissing,
    ShareNameBackslash,
    ShareNameNotStorable,
    SharePathInvalid,
    SharePathNotStorable,
    // Wizards
    WizardCaptionFirstRun,
    WizardCaptionShare,
    WelcomeTitleFirstRun,
    WelcomeIntroFirstRun,
    WelcomeGuideFirstRun,
    WelcomeFollowFirstRun,
    WelcomeTitleShare,
    WelcomeIntroShare,
    WelcomeGuideShare,
    WelcomeFollowShare,
    WelcomeClickNext,
    ComputerNameTitle,
    ComputerNameSubtitle,
    ComputerNameExplanation,
    ComputerNameLabel,
    ShareFolderNow,
    ShareFolderTitle,
    ShareFolderSubtitle,
    ShareFolderExplanation,
    ShareFolderContents,
    SharePathFieldLabel,
    WizardBrowseButton,
    ShareNameSubtitle,
    ShareNameExplanation,
    ShareNameFieldLabel,
    CompletedTitle,
    CompletedText,
    // Help and about box
    HelpMissing,
    AboutVersion,  // "Version %s"
    AboutLicence,

    Count  // not a text
};
inline constexpr int kStringCount = static_cast<int>(StringId::Count);

// Text of an id in the current language (never null; "" only for an id out of range).
const char* Text(StringId id);
const char* Text(StringId id, Language language);
// A text that front ends keep as an English literal (marked for xgettext by Translate), in the
// current or a given language. Returns `english` itself when there is no translation.
const char* Translate(const char* english);
const char* Translate(const char* english, Language language);

// The language in use. Starts as LanguageFromEnvironment(); safe to read from any thread.
Language CurrentLanguage();
void SetCurrentLanguage(Language language);

// "de_DE.UTF-8", "fr", "nl_BE@euro", ... -> the language; anything else (C, POSIX, ja_JP, "")
// gives English.
Language LanguageFromLocaleName(std::string_view localeName);
// The first of our languages in LANGUAGE (a list such as "ja:de:en"), else the language of the
// first non-empty of LC_ALL, LC_MESSAGES and LANG, else English.
Language LanguageFromEnvironment();
// Two-letter code: "es", "de", "en", "fr", "it", "nl".
const char* LanguageCode(Language language);

// One argument for a placeholder, already turned into text.
class FormatArg {
public:
    FormatArg(const char* text) : text_(text ? text : "") {}
    FormatArg(std::string_view text) : text_(text) {}
    FormatArg(const std::string& text) : text_(text) {}
    FormatArg(int value) : text_(std::to_string(value)) {}
    FormatArg(unsigned value) : text_(std::to_string(value)) {}
    FormatArg(long value) : text_(std::to_string(value)) {}
    FormatArg(unsigned long value) : text_(std::to_string(value)) {}
    FormatArg(long long value) : text_(std::to_string(value)) {}
    FormatArg(unsigned long long value) : text_(std::to_string(value)) {}

    const std::string& text() const { return text_; }

private:
    std::string text_;
};

// Fills the placeholders of a text: %s, %i, %d and %u each take the next argument, "%2$s" takes
// the second, %% gives "%". Missing arguments leave the placeholder empty; surplus ones are
// ignored. Never reads past the arguments, whatever the text holds.
std::string FormatText(std::string_view format, std::initializer_list<FormatArg> args);
std::string FormatText(std::string_view format, const std::vector<FormatArg>& args);
std::string FormatText(StringId id, std::initializer_list<FormatArg> args);

// The placeholders of a text with the argument each one takes, in a form that does not depend on
// their order: "Receive %u%% (%s KB/s)" and "%2$s KB/s, %1$u%%" have the same signature.
std::string PlaceholderSignature(std::string_view text);

}  // namespace ui
