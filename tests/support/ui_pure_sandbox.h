// A private temporary folder per test, removed with everything in it when the test ends, and a
// settings file path inside it.
#pragma once

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace testing_support {

class Sandbox {
public:
    Sandbox() {
        std::string pattern = (std::filesystem::temp_directory_path() / "wendaro-ui-XXXXXX");
        if (::mkdtemp(pattern.data())) root_ = pattern;
    }
    ~Sandbox() {
        std::error_code ignored;
        if (!root_.empty()) std::filesystem::remove_all(root_, ignored);
    }
    Sandbox(const Sandbox&) = delete;
    Sandbox& operator=(const Sandbox&) = delete;

    bool Valid() const { return !root_.empty(); }
    std::string Path(const std::string& relative = {}) const {
        return relative.empty() ? root_.string() : (root_ / relative).string();
    }
    std::string IniPath() const { return Path("wendaro.ini"); }

    std::string MakeFolder(const std::string& relative) const {
        std::filesystem::create_directories(root_ / relative);
        return Path(relative);
    }
    std::string MakeFile(const std::string& relative, const std::string& content = "x") const {
        std::ofstream(root_ / relative) << content;
        return Path(relative);
    }
    std::string ReadFile(const std::string& relative) const {
        std::ifstream in(root_ / relative);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

private:
    std::filesystem::path root_;
};

}  // namespace testing_support
