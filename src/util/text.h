// Byte-string helpers shared by the command-line reader and the settings store. Names in both are
// compared the way the platform's profile functions and switch lookup do: ASCII letters without
// regard to case, every other byte as it is.
#pragma once

#include <string>
#include <string_view>

bool xUtilEqualsNoCase(std::string_view a, std::string_view b);

// Strips the blanks (space, tab, CR, LF, vertical tab, form feed) on both sides.
std::string_view xUtilTrim(std::string_view text);

// Removes the enclosing double quotes of one command-line token or item: two or more quotes with
// one at each end lose the outer pair; exactly one quote at the start is dropped; anything else
// stays as it is.
std::string xUtilUnquote(std::string_view token);
