// The names of the settings file's sections and keys, shared by every layer that reads or writes
// them, so that a misspelt name cannot silently read a default.
#pragma once

namespace settings_keys {

// Key: a share name; value: the local folder it shares.
inline constexpr const char* kShares = "shares";
// Key: a host added by hand (its name or dotted address as typed); watched again on every start.
inline constexpr const char* kRememberedHosts = "rememberedhosts";
// Key: the token a browser keeps in its cookie; value: its address and a name ("10.0.0.7 Firefox
// on Android"). Every key is a browser the owner let into the web view.
inline constexpr const char* kWebBrowsers = "webbrowsers";
// Everything else the program keeps.
inline constexpr const char* kGlobal = "global";

// Keys of section "global".
inline constexpr const char* kHostName = "hostname";
inline constexpr const char* kSound = "sound";
inline constexpr const char* kLastDownloadPath = "lastdownloadpath";
inline constexpr const char* kAddOnFeatures = "addonfeatures";
inline constexpr const char* kAllowUnknown = "allowunknown";
inline constexpr const char* kFirstInstalled = "firstinstalled";
inline constexpr const char* kSkipSplash = "skipsplash";
// The downloads' speed limit in KB/s (1,024 bytes) for all downloads together; 0 or missing: none.
inline constexpr const char* kDownloadLimit = "downloadlimit";
// 1 serves the web view of the shares; 0 or missing does not.
inline constexpr const char* kWebView = "webview";
// Followed by 1 .. 10, 1 the newest.
inline constexpr const char* kHostMruEntryPrefix = "hostmruentry";

// The fallback that tells a missing key from an empty value: no folder path can be this text.
inline constexpr const char* kMissingValue = "\\\\";

}  // namespace settings_keys
