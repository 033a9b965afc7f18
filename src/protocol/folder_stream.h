// "wdx-folder": the files of a folder as one stream, between two copies of this program. The
// client has listed the folder the common way (so every name passed its checks and every question
// was asked before any data flow) and names the files it wants; the host answers with their sizes,
// contents and digests, in the order asked, on one connection.
//
//   request:  framed "wdx-folder:<host path of the folder>"
//             framed selection: one path a line, relative to the folder, "\" between its names
//   reply:    per selected file, in order, either
//               "<decimal size>:" <size bytes> <trailer: one mark byte, SHA-256 in 64 hex digits>
//             or "-" when the host will not send it, and nothing after that.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace proto {

inline constexpr std::string_view kFolderStreamWord = "wdx-folder";

// What one stream may ask for: the host holds the selection in memory while it sends.
inline constexpr std::size_t kMaxStreamFiles = 16'384;
inline constexpr std::size_t kMaxSelectionLength = 1024 * 1024;
// One path of the selection; a name within it is at most 255 bytes, like any local name.
inline constexpr std::size_t kMaxSelectionPath = 64 * 1024;
inline constexpr std::size_t kMaxSelectionName = 255;

// The mark before a file's digest: the file stayed as it was while it was read, or it changed
// (its size or modification time moved, or it ended early and the rest is padding).
inline constexpr char kStreamFileWhole = '+';
inline constexpr char kStreamFileChanged = '~';
// In place of a file's size: the host does not send it (missing, not a file, outside the share,
// unreadable); the stream ends there.
inline constexpr char kStreamFileRefused = '-';
// Lowercase hexadecimal, as wdx-get sends it.
inline constexpr std::size_t kStreamDigestLength = 64;
inline constexpr std::size_t kStreamTrailerLength = 1 + kStreamDigestLength;

std::string EncodeSelection(const std::vector<std::string>& relativePaths);

// Splits a selection into its paths. False (and `out` empty) when there are more than `maxFiles`
// or a path breaks the rules: empty, longer than kMaxSelectionPath, a name empty, "." or "..",
// longer than kMaxSelectionName, or holding "/", NUL or a line break.
bool ParseSelection(std::string_view text, std::vector<std::string>& out,
                    std::size_t maxFiles = kMaxStreamFiles);

}  // namespace proto
