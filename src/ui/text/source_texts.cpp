// The English source of every text the controller shows, in the order of StringId. Translations
// live in the gettext catalogues under po/; N_ only marks a text for xgettext.
#include "ui/text/source_texts.h"

namespace ui {

namespace {

constexpr const char* N_(const char* text) {
    return text;
}

}  // namespace

const std::array<SourceText, kStringCount> kSourceTexts{{
    {StringId::ProductName, N_("Tavrin Wendaro")},
    {StringId::AboutTitle, N_("About Tavrin Wendaro")},
    {StringId::TransferGroup, N_("Data transfer in process")},
    {StringId::ChatGroup, N_("Chat")},
    {StringId::SendButton, N_("Send")},
    {StringId::TooltipOptions, N_("Options")},
    {StringId::TooltipAddShare, N_("Add share")},
    {StringId::TooltipUp, N_("Up")},
    {StringId::ColumnName, N_("Name")},
    {StringId::ColumnSize, N_("Size")},
    {StringId::ColumnStatus, N_("Status")},
    {StringId::ColumnHost, N_("Host")},
    {StringId::SizeKilobytes, N_("%s kB")},
    {StringId::LonelyHostHint,
     N_("Please start Wendaro on at least one other computer in the local network.")},
    {StringId::ExitWhileTransferring, N_("Files are still being transferred.\nDo you want to exit "
                                         "the program anyway and cancel the file transfers?")},
    {StringId::MenuFile, N_("&File")},
    {StringId::MenuTools, N_("&Tools")},
    {StringId::MenuHelp, N_("&Help")},
    {StringId::MenuDownload, N_("&Download")},
    {StringId::MenuDownloadTo, N_("Download to %s")},
    {StringId::MenuAddShare, N_("&Add share")},
    {StringId::MenuRemoveShare, N_("&Remove share")},
    {StringId::MenuShareProperties, N_("Share &properties")},
    {StringId::MenuAddHostManually, N_("Add host &manually")},
    {StringId::MenuRemoveHost, N_("Remove &host")},
    {StringId::MenuRefresh, N_("Re&fresh")},
    {StringId::MenuClose, N_("&Close")},
    {StringId::MenuOptions, N_("&Options")},
    {StringId::MenuHelpTopics, N_("&Help Topics")},
    {StringId::MenuAbout, N_("&About Tavrin Wendaro")},
    {StringId::MenuCancel, N_("&Cancel")},
    {StringId::UnknownHostWantsDownload,
     N_("A unknown host with the ip address %s wants to download a file from you.\nDo you want to "
        "allow this?")},
    {StringId::ChatNotDelivered, N_("Not delivered to %s: %s")},
    {StringId::ListingCut, N_("This listing was cut: %s more entries were left out.")},
    {StringId::StatusWait, N_("Wait")},
    {StringId::StatusReceive, N_("Receive %u%% (%s KB/s)")},
    {StringId::StatusSend, N_("Send %u%% (%s KB/s)")},
    {StringId::StatusCancelled, N_("Cancelled")},
    {StringId::StatusFailed, N_("Failed")},
    {StringId::StatusFinished, N_("Finished")},
    {StringId::StatusFinishedVerified, N_("Finished, verified")},
    {StringId::FailedUnreachable, N_("Failed: host not reachable")},
    {StringId::FailedRefused, N_("Failed: refused by the host")},
    {StringId::FailedNoSuchFile, N_("Failed: no such file")},
    {StringId::FailedConnectionLost, N_("Failed: connection lost")},
    {StringId::FailedTimedOut, N_("Failed: host stopped answering")},
    {StringId::FailedBadReply, N_("Failed: reply not understood")},
    {StringId::FailedWrongSize, N_("Failed: size differs from the listing")},
    {StringId::FailedDiskFull, N_("Failed: disk full")},
    {StringId::FailedCannotWrite, N_("Failed: file cannot be written")},
    {StringId::FailedDamaged, N_("Failed: the file arrived damaged")},
    {StringId::StatusReceiveFolder, N_("Receive (%i/%i) %u%% (%s KB/s)")},
    {StringId::SelectTargetFolder, N_("Select the target directory.")},
    {StringId::FileExists,
     N_("A file with the name \"%s\" already exists. Do you want to overwrite it?")},
    {StringId::FolderExists,
     N_("A folder named \"%s\" already exists.\n\nIf the files in the existing folder have the "
        "same name as the files in the folder you are downloading, they will be replaced. Do you "
        "still want to download the folder?")},
    {StringId::AddHostTitle, N_("Add host manually")},
    {StringId::AddHostExplanation,
     N_("Please enter the IP address of the host or the host name. (Port 12346 und 12347)")},
    {StringId::AddHostLabel, N_("&Host:")},
    {StringId::ButtonOk, N_("OK")},
    {StringId::ButtonCancel, N_("Cancel")},
    {StringId::HostNotResolved,
     N_("The host name could not be resolved. Please enter the correct host name.")},
    {StringId::OptionsGeneralPage, N_("General")},
    {StringId::OptionsComputerGroup, N_("Computer Settings")},
    {StringId::OptionsComputerName, N_("&Computer name:")},
    {StringId::OptionsSoundGroup, N_("Sound Settings")},
    {StringId::OptionsActivateSounds, N_("&Activate sounds")},
    {StringId::OptionsComputerNameHelp, N_("In this field, provide a name for your computer.\nThis "
                                           "name will be seen by other Wendaro users.")},
    {StringId::OptionsSoundHelp, N_("Would you like certain events, such as receiving a chat "
                                    "message, to be signaled by a sound?")},
    {StringId::ShareDialogTitle, N_("Share properties")},
    {StringId::ShareGroup, N_("Share")},
    {StringId::ShareNameLabel, N_("&Name:")},
    {StringId::SharePathLabel, N_("&Path:")},
    {StringId::ShareBrowseButton, N_("&Browse...")},
    {StringId::SelectShareFolder, N_("Please select the folder that you want to share.")},
    {StringId::ShareNameAndPathMissing, N_("Please enter the name and path for the new share.")},
    {StringId::ShareNameBackslash, N_("Please do not use the '\\' character in your share name.")},
    {StringId::ShareNameNotStorable,
     N_("A share name cannot begin or end with a blank, nor contain a line break, '=', ';' or "
        "'['.")},
    {StringId::SharePathInvalid, N_("The specified path is not valid.")},
    {StringId::SharePathNotStorable,
     N_("The folder's path contains a line break, which the settings file cannot keep.")},
    {StringId::WizardCaptionFirstRun, N_("Tavrin Wendaro installation wizard")},
    {StringId::WizardCaptionShare, N_("Tavrin Wendaro share wizard")},
    {StringId::WelcomeTitleFirstRun, N_("Welcome to the\nTavrin Wendaro installation wizard")},
    {StringId::WelcomeIntroFirstRun,
     N_("Tavrin Wendaro makes sharing files in your local network child's play.")},
    {StringId::WelcomeGuideFirstRun,
     N_("This wizard will guide you through the basic configuration steps needed to fully set up "
        "Tavrin Wendaro.")},
    {StringId::WelcomeFollowFirstRun, N_("Follow the instructions on the following screens.")},
    {StringId::WelcomeTitleShare, N_("Welcome to the Tavrin Wendaro share wizard")},
    {StringId::WelcomeIntroShare,
     N_("Please share a folder so that other Tavrin Wendaro users can download files from you.")},
    {StringId::WelcomeGuideShare,
     N_("All of the files in the folder you have shared as well as the contents of any subfolders "
        "can be downloaded by other Tavrin Wendaro users.")},
    {StringId::WelcomeFollowShare, N_("Follow the instructions on the following screens.")},
    {StringId::WelcomeClickNext, N_("Click Next to continue.")},
    {StringId::ComputerNameTitle, N_("Enter a computer name")},
    {StringId::ComputerNameSubtitle, N_("Assign a name to your computer.")},
    {StringId::ComputerNameExplanation,
     N_("Assign a name to your computer. This name will be displayed to other Tavrin Wendaro users "
        "as your user name.")},
    {StringId::ComputerNameLabel, N_("&Computer name:")},
    {StringId::ShareFolderNow, N_("I would like to share a folder now.")},
    {StringId::ShareFolderTitle, N_("Set up a shared folder")},
    {StringId::ShareFolderSubtitle, N_("Please select a folder to be shared with Tavrin Wendaro.")},
    {StringId::ShareFolderExplanation, N_("By sharing a folder, you are making files available for "
                                          "download by other Tavrin Wendaro users.")},
    {StringId::ShareFolderContents, N_("All files in the shared folder and the contents of all "
                                       "subfolders will be available for download.")},
    {StringId::SharePathFieldLabel, N_("Share path:")},
    {StringId::WizardBrowseButton, N_("Browse")},
    {StringId::ShareNameSubtitle, N_("Choose a name for this share.")},
    {StringId::ShareNameExplanation, N_("This name will be displayed to all other Tavrin Wendaro "
                                        "users in place of the shared folder.")},
    {StringId::ShareNameFieldLabel, N_("Share name:")},
    {StringId::CompletedTitle, N_("Tavrin Wendaro wizard has completed successfully")},
    {StringId::CompletedText, N_("Tavrin Wendaro is now fully configured.")},
    {StringId::HelpMissing, N_("The help pages are not installed. Reinstall Wendaro to get them.")},
    {StringId::AboutVersion, N_("Version %s")},
    {StringId::AboutLicence,
     N_("Copyright 2026 The Wendaro developers. All rights reserved; no licence to copy, modify "
        "or redistribute this software is granted.")},
}};

}  // namespace ui
