#include "cli/overwrite_question.h"

#include <poll.h>
#include <unistd.h>

#include <array>
#include <istream>
#include <ostream>

#include "cli/command_context.h"
#include "cli/listing_format.h"
#include "cli/signal_watch.h"

namespace cli {

std::string FileExistsQuestion(const std::string& name) {
    return "A file with the name \"" + PrintableText(name) +
           "\" already exists. Do you want to overwrite it?";
}

std::string FolderExistsQuestion(const std::string& name) {
    return "A folder named \"" + PrintableText(name) +
           "\" already exists.\nIf the files in the existing folder have the same name as the "
           "files in the folder you are downloading, they will be replaced. Do you still want to "
           "download the folder?";
}

bool AskYesNo(const CommandContext& context, const std::string& question, SignalWatch* signals) {
    context.err << question << " [y/N] " << std::flush;
    if (signals != nullptr && signals->Valid()) {
        // The stop signals are blocked while workers run; watch them beside the keyboard.
        std::array<pollfd, 2> watched{
            {{STDIN_FILENO, POLLIN, 0}, {signals->Descriptor(), POLLIN, 0}}};
        while (poll(watched.data(), watched.size(), -1) < 0) {
        }
        if ((watched[1].revents & POLLIN) != 0) {
            context.err << std::endl;
            return false;
        }
    }
    std::string answer;
    if (!std::getline(context.in, answer)) return false;
    return answer == "y" || answer == "Y" || answer == "yes" || answer == "Yes";
}

}  // namespace cli
