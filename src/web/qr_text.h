// A QR code drawn with text, for a console: two rows of modules per line in half blocks.
#pragma once

#include <string>
#include <vector>

namespace web {

// The QR code of `text` with its quiet zone, dark modules drawn light-on-dark so that it scans on
// a dark terminal as on a light one; empty when it cannot be made.
std::string QrCodeText(const std::string& text);

// The module grid itself: one string per row, '#' for a dark module, ' ' for a light one,
// without the quiet zone; empty when it cannot be made.
std::vector<std::string> QrCodeModules(const std::string& text);

}  // namespace web
