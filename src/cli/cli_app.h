// The command-line front end as a function, so that tests can run commands without a process.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace cli {

struct CliStreams {
    std::ostream& out;
    std::ostream& err;
    std::istream& in;
    bool outputIsTerminal = false;
    bool canAsk = false;
};

// args[0] is the program name. Returns the process exit code; every failure also leaves one line
// on the error stream.
int RunCli(const std::vector<std::string>& args, CliStreams streams);

}  // namespace cli
