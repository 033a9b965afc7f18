// Host paths ("\Music\Live\a.mp3") meet local paths ("/home/u/Target/Live/a.mp3") here. Every name
// comes from another host, so each component is checked before it becomes part of a local path:
// nothing a peer lists may lead outside the chosen target folder.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace ui {

inline constexpr char kLocalSeparator = '/';

// "\Music\Live\\" -> "\Music\Live".
std::string StripTrailingBackslashes(std::string_view hostPath);

// The text after the last backslash (the whole text when there is none).
std::string_view LastComponent(std::string_view hostPath);

// A name that can stand as one component of a local path: not empty, not "." or "..", and free of
// separators and NUL bytes.
bool IsSafeLocalName(std::string_view name);

// The folder with one local separator at its end.
std::string WithTrailingSeparator(std::string folder);

// targetFolder + the components of a backslash-separated relative host path; none when a
// component is not a safe local name.
std::optional<std::string> LocalPathFor(const std::string& targetFolder,
                                        std::string_view relativeHostPath);

}  // namespace ui
