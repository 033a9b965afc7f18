#include "cli/console_views.h"

#include <ostream>

#include "cli/host_name_setting.h"
#include "cli/listing_format.h"

namespace cli {

void ConsoleChat::AppendHistoryLine(const std::string& line) {
    // The line holds another host's text: nothing in it may steer the terminal.
    out_ << PrintableText(line) << std::endl;
}

ui::Answer SettingsPrompt::Ask(ui::Question question, const std::string&, ui::PromptButtons) {
    if (question == ui::Question::UnknownHostWantsDownload && AllowUnknownHosts(settings_)) {
        return ui::Answer::Yes;
    }
    return ui::Answer::No;
}

}  // namespace cli
