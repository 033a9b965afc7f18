// Numbers shown to the user in the user's number format: digit grouping, decimal separator and
// a fixed count of decimals, applied to the "%f" text of the value.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace ui {

struct NumberFormat {
    std::string decimalSeparator = ".";
    std::string thousandsSeparator = ",";
    // Group sizes from the right, as std::numpunct::grouping(): each char one group, the last
    // repeating; empty or a size <= 0 (or CHAR_MAX) ends grouping.
    std::string grouping = "\3";
    int fractionDigits = 2;

    // Separators and grouping of the user's locale (std::locale("")); two decimals, the
    // customary count in every language the program speaks. Falls back to the defaults above
    // when the environment names no usable locale.
    static NumberFormat FromUserLocale();
};

// Rewrites a plain decimal number ("1234.567800", "-5", as printed by "%f") in the format:
// rounded half away from zero to fractionDigits, grouped, with the locale's separators.
// Text that is not such a number is returned unchanged.
std::string FormatDecimalText(std::string_view plain, const NumberFormat& format);

// "%f" of the value, then FormatDecimalText. A result that would not fit into maxChars
// (counting a terminating byte, as a fixed buffer would) is given without grouping, and cut if
// it still does not fit.
std::string FormatNumber(double value, const NumberFormat& format, std::size_t maxChars = 64);

// The rate text of a transfer's status line (a 16-byte buffer's worth).
std::string FormatRate(double kilobytesPerSecond, const NumberFormat& format);

}  // namespace ui
