// Shared pieces of the command-line tests: a private temporary folder with files made by relative
// path, and a way to run the front end as a function with captured streams.
#pragma once

#include <algorithm>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "cli/cli_app.h"
#include "support/temp_folder.h"

namespace cli_test {

class TempFolder : public testing_support::TempFolder {
public:
    std::string Folder(const std::string& relative) const {
        std::filesystem::create_directories(Root() / relative);
        return Path(relative);
    }
    std::string File(const std::string& relative, const std::string& content) const {
        std::filesystem::create_directories((Root() / relative).parent_path());
        Write(Path(relative), content);
        return Path(relative);
    }
    std::string Read(const std::string& relative) const {
        return testing_support::TempFolder::Read(Path(relative));
    }
};

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
