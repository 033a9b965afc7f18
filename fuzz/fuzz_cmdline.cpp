// Feeds arbitrary command lines to the command-line reader and checks the invariants its callers
// rely on.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "util/cmdline.h"

namespace {

void Check(bool condition) {
    if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    XUtilOptionList options = xUtilParseCommandLine(text);
    Check(options.size() <= size);
    for (const XUtilOption& option : options) {
        Check(option.name.has_value() || option.value.has_value());
        Check(option.name.has_value() || option.items.empty());
        for (const std::string& item : option.items) Check(!item.empty());
        if (option.name) {
            const XUtilOption* found = xUtilFindOption(options, *option.name);
            Check(found != nullptr && found <= &option);
        }
    }
    for (const std::string& item : xUtilSplitItems(text)) Check(!item.empty());
    xUtilFreeOptions(options);
    Check(options.empty());
    return 0;
}
