// A private temporary folder per test with a settings file path inside it.
#pragma once

#include "support/temp_folder.h"

namespace testing_support {

class Sandbox : public TempFolder {
public:
    std::string IniPath() const { return Path("wendaro.ini"); }
    std::string MakeFolder(const std::string& relative) const {
        std::filesystem::create_directories(Root() / relative);
        return Path(relative);
    }
    std::string MakeFile(const std::string& relative, const std::string& content = "x") const {
        Write(Path(relative), content);
        return Path(relative);
    }
    std::string ReadFile(const std::string& relative) const { return Read(Path(relative)); }
};

}  // namespace testing_support
