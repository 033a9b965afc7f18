// Settings store: typed access to one INI file. Every read looks at the file first and parses it
// again only when it changed since the last read, so that every object on the same file always
// sees the same data, and a large file costs no parse per request.
//
// Semantics of the platform's profile functions: section and key names compare without regard to
// ASCII case and without the blanks around them; a missing file, section or key gives the
// default; a write creates the file (and its missing folders) and the section as needed. Values
// are returned without the blanks around them and without one pair of enclosing quotes.
//
// Every write is a read-modify-write under an exclusive lock shared with other threads and
// processes, and replaces the file atomically, so that concurrent writers lose no keys and a
// failed write leaves the old file as it was.
#pragma once

#include <memory>
#include <string>
#include <vector>

namespace utilcpp {

class IniCache;
class IniDocument;

class CParseini {
public:
    // An empty name takes the program's settings file (see core/settings_path.h).
    explicit CParseini(std::string fileName = {});

    // Reads the leading decimal number of the value (optional sign; 0 when it has no digits);
    // the default when the key is missing or its value is empty. Always true.
    bool GetInt(const std::string& section, const std::string& key, int& out, int def) const;
    // False when the file could not be written; the cause goes to the diagnostic trace.
    bool SetInt(const std::string& section, const std::string& key, int value);
    // The default when the key is missing. Always true.
    bool GetString(const std::string& section, const std::string& key, std::string& out,
                   const std::string& def) const;
    // False when the file could not be written, or when the names or the value could not be read
    // back as written (line ends anywhere, "]" in a section, "=" in a key, a key that begins
    // with "[" or ";"). Any other value reads back exactly, blanks and quotes at its ends too.
    bool SetString(const std::string& section, const std::string& key, const std::string& value);
    // True when the key is gone, including when there was none.
    bool DeleteKey(const std::string& section, const std::string& key);
    // The section's lines "key=value" in file order; true when the list is not empty.
    bool GetSection(const std::string& section, std::vector<std::string>& out) const;
    const std::string& GetFileName() const { return fileName_; }

private:
    template <typename Edit>
    bool Modify(Edit edit);
    std::shared_ptr<const IniDocument> Current() const;

    std::string fileName_;
    // Shared by copies; thread-safe, so that one object may serve several threads.
    std::shared_ptr<IniCache> cache_;
};

}  // namespace utilcpp
