// The questions asked before an existing local file or folder is written over.
#pragma once

#include <string>

namespace cli {

struct CommandContext;
class SignalWatch;

std::string FileExistsQuestion(const std::string& name);
std::string FolderExistsQuestion(const std::string& name);

// Asks on the error stream and reads the answer from the input; true only for yes. A stop signal
// while waiting counts as no.
bool AskYesNo(const CommandContext& context, const std::string& question, SignalWatch* signals);

}  // namespace cli
