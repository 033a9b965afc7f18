#include "cli/console_views.h"

#include <ostream>

#include "cli/host_name_setting.h"
#include "cli/listing_format.h"
#include "ui/text/ui_strings.h"

namespace cli {

void ConsoleChat::AppendHistoryLine(const std::string& line) {
    // The line holds another host's text: nothing in it may steer the terminal.
    out_ << PrintableText(line) << std::endl;
}

bool IsUnknownHostQuestion(const std::string& text) {
    // The question's text with the address in the place of its one placeholder.
    const std::string_view question = ui::Text(ui::StringId::UnknownHostWantsDownload);
    const std::size_t placeholder = question.find("%s");
    if (placeholder == std::string_view::npos) return text == question;
    const std::string_view before = question.substr(0, placeholder);
    const std::string_view after = question.substr(placeholder + 2);
    return text.size() >= before.size() + after.size() && text.starts_with(before) &&
           text.ends_with(after);
}

ui::Answer SettingsPrompt::Ask(const std::string& text, ui::PromptButtons) {
    if (IsUnknownHostQuestion(text) && AllowUnknownHosts(settings_)) return ui::Answer::Yes;
    return ui::Answer::No;
}

}  // namespace cli
