// Shared pieces of the command-line tests: a private temporary folder and a way to run the front
// end as a function with captured streams.
#pragma once

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "cli/cli_app.h"

namespace cli_test {

class TempFolder {
public:
    TempFolder() {
        std::string pattern = (std::filesystem::temp_directory_path() / "wendaro-cli-XXXXXX");
        if (::mkdtemp(pattern.data()) != nullptr) root_ = pattern;
    }
    ~TempFolder() {
        std::error_code ignored;
        if (!root_.empty()) std::filesystem::remove_all(root_, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& Root() const { return root_; }
    std::string Path(const std::string& relative) const { return (root_ / relative).string(); }
    std::string Folder(const std::string& relative) const {
        std::filesystem::create_directories(root_ / relative);
        return Path(relative);
    }
    std::string File(const std::string& relative, const std::string& content) const {
        std::filesystem::create_directories((root_ / relative).parent_path());
        std::ofstream(root_ / relative, std::ios::binary) << content;
        return Path(relative);
    }
    std::string Read(const std::string& relative) const {
        std::ifstream in(root_ / relative, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

private:
    std::filesystem::path root_;
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
    int lines = 0;
    for (char c : text) lines += c == '\n' ? 1 : 0;
    return lines;
}

}  // namespace cli_test
