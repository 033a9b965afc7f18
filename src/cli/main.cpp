// wendaro-cli: the headless front end.
#include <unistd.h>

#include <iostream>
#include <string>
#include <vector>

#include "cli/cli_app.h"
#include "cli/signal_watch.h"
#include "util/descriptor_limit.h"
#include "util/memory_release.h"

int main(int argc, char** argv) {
    util::ReturnLargeBlocksWhenFreed();
    util::RaiseDescriptorLimit();
    cli::IgnoreBrokenPipes();
    const std::vector<std::string> args(argv, argv + argc);
    const bool terminalIn = isatty(STDIN_FILENO) != 0;
    return cli::RunCli(args, {std::cout, std::cerr, std::cin, isatty(STDOUT_FILENO) != 0,
                              terminalIn && isatty(STDERR_FILENO) != 0});
}
