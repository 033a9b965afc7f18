// Shared pieces of the command-line tests: a way to run the front end as a function with captured
// streams; their temporary folders are testing_support's.
#pragma once

#include <algorithm>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "cli/cli_app.h"
#include "support/temp_folder.h"

namespace cli_test {

struct CliResult {
    int exitCode = -1;
    std::string out;
    std::string err;
};

inline CliResult RunCommand(std::vector<std::string> args, const std::string& input = {}) {
    args.insert(args.begin(), "wendaro-cli");
    std::ostringstream out;
    std::ostringstream err;
    std::istringstream in(input);
    CliResult result;
    result.exitCode = cli::RunCli(args, {out, err, in, false, false});
    result.out = out.str();
    result.err = err.str();
    return result;
}

inline int LineCount(const std::string& text) {
    return static_cast<int>(std::count(text.begin(), text.end(), '\n'));
}

}  // namespace cli_test
