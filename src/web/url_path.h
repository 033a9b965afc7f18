// Turning the raw path of a request URL into the names it stands for. The HTTP engine is told not
// to decode anything itself, so that every spelling a browser or an attacker may use (percent
// escapes of dots and separators, NUL, overlong UTF-8, escapes of escapes) goes through this one
// strict decoder before any name reaches the file system.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace web {

// Decodes %XX escapes (two hex digits, either case); false for a malformed escape. Nothing else
// changes: "+" stays "+" (it is a plus in a path).
bool PercentDecode(std::string_view raw, std::string& out);

// True for well-formed UTF-8: no overlong forms, no surrogates, nothing above U+10FFFF.
bool IsValidUtf8(std::string_view text);

// Splits a raw URL path ("/a/b%20c/") into decoded components. False when the path does not begin
// with "/", an escape is malformed, or a component is empty (other than after a final "/"), is "."
// or "..", holds a control character (NUL included), a backslash, or is not valid UTF-8.
// `trailingSlash` tells whether the path ended in "/" (the root "/" counts as one).
bool SplitUrlPath(std::string_view rawPath, std::vector<std::string>& components,
                  bool& trailingSlash);

// Escapes every byte outside the unreserved set (letters, digits, "-._~"), so that the result is
// one safe path component or query value.
std::string PercentEncode(std::string_view text);

}  // namespace web
