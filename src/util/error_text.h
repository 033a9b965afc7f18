// The system's words for an errno value. Unlike strerror, safe while other threads ask too.
#pragma once

#include <string>

namespace util {

std::string ErrorText(int errorNumber);

}  // namespace util
