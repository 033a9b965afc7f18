// A fresh folder below the system's temporary folder, removed with everything in it afterwards,
// with a settings file path inside it and folders and files made by relative path.
#pragma once

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace testing_support {

class TempFolder {
public:
    TempFolder() {
        std::string pattern = std::filesystem::temp_directory_path() / "wendaro-test-XXXXXX";
        if (::mkdtemp(pattern.data()) != nullptr) root_ = pattern;
    }
    ~TempFolder() {
        if (root_.empty()) return;
        std::error_code ignored;
        // A test may have left the folder read-only.
        std::filesystem::permissions(root_, std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ignored);
        std::filesystem::remove_all(root_, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    bool Valid() const { return !root_.empty(); }
    const std::filesystem::path& Root() const { return root_; }
    std::string Path(const std::string& relative = {}) const {
        return relative.empty() ? root_.string() : (root_ / relative).string();
    }
    std::string IniPath() const { return Path("wendaro.ini"); }
    std::string MakeFolder(const std::string& relative) const {
        std::filesystem::create_directories(Root() / relative);
        return Path(relative);
    }
    std::string MakeFile(const std::string& relative, const std::string& content = "x") const {
        std::filesystem::create_directories((Root() / relative).parent_path());
        Write(Path(relative), content);
        return Path(relative);
    }
    std::string ReadFile(const std::string& relative) const { return Read(Path(relative)); }
    // Everything directly inside, hidden names included.
    std::vector<std::string> Names() const {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(root_))
            names.push_back(entry.path().filename().string());
        return names;
    }

    static std::string Read(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    static void Write(const std::string& path, const std::string& text) {
        std::ofstream(path, std::ios::binary) << text;
    }

private:
    std::filesystem::path root_;
};

}  // namespace testing_support
