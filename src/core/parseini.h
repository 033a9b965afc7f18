// Settings store: typed access to one INI file, with no cache, so that every object on the same
// file always sees the same data.
#pragma once

#include <string>
#include <vector>

namespace utilcpp {

class CParseini {
public:
    // An empty name derives the file from the running executable (see CreateFromModule).
    explicit CParseini(std::string fileName = {});

    // Takes the module's full path, cuts it at the last "." and appends ".ini".
    void CreateFromModule(const std::string& modulePath);

    bool GetInt(const std::string& section, const std::string& key, int& out, int def) const;
    bool SetInt(const std::string& section, const std::string& key, int value);
    bool GetString(const std::string& section, const std::string& key, std::string& out,
                   const std::string& def) const;
    bool SetString(const std::string& section, const std::string& key, const std::string& value);
    bool DeleteKey(const std::string& section, const std::string& key);
    // The section's lines "key=value" in file order; true when the list is not empty.
    bool GetSection(const std::string& section, std::vector<std::string>& out) const;
    const std::string& GetFileName() const { return fileName_; }

private:
    std::string fileName_;
};

}  // namespace utilcpp
