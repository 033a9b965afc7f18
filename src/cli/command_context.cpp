#include "cli/command_context.h"

#include <ostream>

#include "cli/listing_format.h"
#include "core/settings_path.h"

namespace cli {

std::string CommandContext::SettingsFile() const {
    return utilcpp::ResolveSettingsPath(options.configFile, utilcpp::ExecutablePath());
}

int CommandContext::Fail(const std::string& message) const {
    // One line, whatever a remote host put into the text.
    err << "wendaro-cli: " << PrintableText(message) << std::endl;
    return kExitFailure;
}

}  // namespace cli
