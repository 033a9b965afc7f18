// How `ls` shows a folder: folders first, then files, each sorted by name, sizes readable by a
// person, names cleaned of control characters so that a listing cannot drive the terminal.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/types.h"
#include "util/printable_text.h"

namespace cli {

// "0 B", "1023 B", "1.0 KiB", "4.2 MiB", "1.5 GiB" ...
std::string FormatSize(std::int64_t bytes);

using util::PrintableText;

// One line per entry ("     <DIR>  Music", "   4.2 MiB  a.mp3"), then a summary line.
std::string FormatListing(std::vector<DirEntry> entries);

}  // namespace cli
