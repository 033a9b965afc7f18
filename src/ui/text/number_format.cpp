#include "ui/text/number_format.h"

#include <langinfo.h>
#include <clocale>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <locale>
#include <stdexcept>
#include <vector>

namespace ui {

namespace {

struct DecimalParts {
    bool negative = false;
    std::string integer;   // digits, at least one
    std::string fraction;  // digits, maybe none
};

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

bool SplitDecimal(std::string_view text, DecimalParts& parts) {
    std::size_t pos = 0;
    if (pos < text.size() && text[pos] == '-') {
        parts.negative = true;
        ++pos;
    }
    while (pos < text.size() && IsDigit(text[pos])) parts.integer += text[pos++];
    if (parts.integer.empty()) return false;
    if (pos < text.size() && text[pos] == '.') {
        ++pos;
        while (pos < text.size() && IsDigit(text[pos])) parts.fraction += text[pos++];
    }
    return pos == text.size();
}

// Adds one unit in the last place of integer+fraction, carrying to the left.
void IncrementDigits(DecimalParts& parts) {
    for (std::size_t i = parts.fraction.size(); i-- > 0;) {
        if (parts.fraction[i] != '9') {
            ++parts.fraction[i];
            return;
        }
        parts.fraction[i] = '0';
    }
    for (std::size_t i = parts.integer.size(); i-- > 0;) {
        if (parts.integer[i] != '9') {
            ++parts.integer[i];
            return;
        }
        parts.integer[i] = '0';
    }
    parts.integer.insert(parts.integer.begin(), '1');
}

void RoundFraction(DecimalParts& parts, std::size_t digits) {
    if (parts.fraction.size() <= digits) {
        parts.fraction.append(digits - parts.fraction.size(), '0');
        return;
    }
    const bool roundUp = parts.fraction[digits] >= '5';
    parts.fraction.resize(digits);
    if (roundUp) IncrementDigits(parts);
}

std::string GroupDigits(const std::string& digits, const NumberFormat& format) {
    // Groups are cut from the right; the last group size repeats.
    std::vector<std::string> groups;
    std::size_t end = digits.size();
    std::size_t groupIndex = 0;
    while (end > 0) {
        int size = 0;
        if (!format.grouping.empty()) {
            const char rule = format.grouping[std::min(groupIndex, format.grouping.size() - 1)];
            size = rule == CHAR_MAX ? 0 : static_cast<int>(rule);
        }
        if (size <= 0 || static_cast<std::size_t>(size) >= end) {
            groups.push_back(digits.substr(0, end));
            break;
        }
        end -= static_cast<std::size_t>(size);
        groups.push_back(digits.substr(end, static_cast<std::size_t>(size)));
        ++groupIndex;
    }
    std::string grouped;
    for (std::size_t i = groups.size(); i-- > 0;) {
        grouped += groups[i];
        if (i > 0) grouped += format.thousandsSeparator;
    }
    return grouped;
}

std::string Assemble(const DecimalParts& parts, const NumberFormat& format, bool group) {
    std::string text;
    const bool allZero = parts.integer.find_first_not_of('0') == std::string::npos &&
                         parts.fraction.find_first_not_of('0') == std::string::npos;
    if (parts.negative && !allZero) text += '-';
    text += group ? GroupDigits(parts.integer, format) : parts.integer;
    if (!parts.fraction.empty()) {
        text += format.decimalSeparator;
        text += parts.fraction;
    }
    return text;
}

bool Prepare(std::string_view plain, const NumberFormat& format, DecimalParts& parts) {
    if (!SplitDecimal(plain, parts)) return false;
    RoundFraction(parts, static_cast<std::size_t>(std::max(format.fractionDigits, 0)));
    return true;
}

}  // namespace

NumberFormat NumberFormat::FromUserLocale() {
    NumberFormat format;
    // The separators come from the C library: they may be several bytes (a narrow no-break
    // space), which std::numpunct<char> cannot carry.
    if (locale_t user = newlocale(LC_NUMERIC_MASK, "", nullptr)) {
        const char* radix = nl_langinfo_l(RADIXCHAR, user);
        const char* thousands = nl_langinfo_l(THOUSEP, user);
        if (radix && *radix) format.decimalSeparator = radix;
        format.thousandsSeparator = thousands ? thousands : "";
        freelocale(user);
    }
    try {
        format.grouping = std::use_facet<std::numpunct<char>>(std::locale("")).grouping();
    } catch (const std::runtime_error&) {
        // The environment names a locale that is not installed: keep the default grouping.
    }
    return format;
}

std::string FormatDecimalText(std::string_view plain, const NumberFormat& format) {
    DecimalParts parts;
    if (!Prepare(plain, format, parts)) return std::string(plain);
    return Assemble(parts, format, true);
}

std::string FormatNumber(double value, const NumberFormat& format, std::size_t maxChars) {
    char plain[512];
    std::snprintf(plain, sizeof plain, "%f", value);
    DecimalParts parts;
    if (!Prepare(plain, format, parts)) return plain;  // inf, nan
    const std::size_t limit = maxChars > 0 ? maxChars - 1 : 0;
    std::string text = Assemble(parts, format, true);
    if (text.size() <= limit) return text;
    text = Assemble(parts, format, false);
    if (text.size() > limit) text.resize(limit);
    return text;
}

std::string FormatRate(double kilobytesPerSecond, const NumberFormat& format) {
    return FormatNumber(kilobytesPerSecond, format, 16);
}

}  // namespace ui
