#include "util/error_text.h"

#include <system_error>

namespace util {

std::string ErrorText(int errorNumber) {
    // The standard library asks strerror_r, which writes into a buffer of the caller's.
    return std::generic_category().message(errorNumber);
}

}  // namespace util
