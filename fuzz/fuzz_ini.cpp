// Feeds arbitrary bytes to the settings store as the contents of its file and checks that reading
// never fails, that the file's text model reads the same after a rewrite, and that a write to one
// section leaves every other section as it was.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

#include "core/ini_document.h"
#include "core/parseini.h"
#include "util/text.h"

namespace {

constexpr std::size_t kMaxSectionsChecked = 8;
constexpr std::string_view kWriteSection = "fuzzwrite";

// One file per fuzzing process, rewritten for every input. The folder name is never destroyed,
// so the exit handler that removes the folder can still use it.
const std::string* gFolder = nullptr;

void RemoveFuzzFolder() {
    std::filesystem::remove_all(*gFolder);
}

const std::string& FuzzFile() {
    static const std::string path = [] {
        std::string pattern = (std::filesystem::temp_directory_path() / "fuzz_ini.XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) std::abort();
        gFolder = new std::string(pattern);
        std::atexit(RemoveFuzzFolder);
        return pattern + "/fuzz.ini";
    }();
    return path;
}

std::vector<std::string> SectionNames(std::string_view text) {
    std::vector<std::string> names;
    while (!text.empty() && names.size() < kMaxSectionsChecked) {
        const std::size_t newline = text.find('\n');
        const std::string_view line = xUtilTrim(text.substr(0, newline));
        text.remove_prefix(newline == std::string_view::npos ? text.size() : newline + 1);
        const std::size_t close = line.rfind(']');
        if (line.starts_with('[') && close != std::string_view::npos) {
            names.emplace_back(xUtilTrim(line.substr(1, close - 1)));
        }
    }
    return names;
}

void Check(bool condition) {
    if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const std::vector<std::string> sections = SectionNames(text);

    const utilcpp::IniDocument parsed = utilcpp::IniDocument::Parse(text);
    const utilcpp::IniDocument reparsed = utilcpp::IniDocument::Parse(parsed.Serialize());
    for (const std::string& section : sections) {
        Check(parsed.SectionLines(section) == reparsed.SectionLines(section));
    }

    std::ofstream(FuzzFile(), std::ios::binary | std::ios::trunc).write(text.data(), text.size());
    utilcpp::CParseini ini(FuzzFile());
    std::vector<std::vector<std::string>> before;
    for (const std::string& section : sections) {
        std::vector<std::string> lines;
        ini.GetSection(section, lines);
        for (const std::string& line : lines) {
            const std::size_t equals = line.find('=');
            std::string value;
            int number = 0;
            ini.GetString(section, line.substr(0, equals), value, "");
            ini.GetInt(section, line.substr(0, equals), number, 0);
        }
        before.push_back(std::move(lines));
    }

    if (size % 4 != 0) return 0;
    const std::string key = "k" + std::to_string(size);
    const std::string value = "v" + std::to_string(size % 97);
    Check(ini.SetString(std::string(kWriteSection), key, value));
    std::string readBack;
    ini.GetString(std::string(kWriteSection), key, readBack, "");
    Check(readBack == value);
    Check(ini.DeleteKey(std::string(kWriteSection), key));
    ini.GetString(std::string(kWriteSection), key, readBack, "missing");
    Check(readBack == "missing");
    for (std::size_t i = 0; i < sections.size(); ++i) {
        if (xUtilEqualsNoCase(sections[i], kWriteSection)) continue;
        std::vector<std::string> after;
        ini.GetSection(sections[i], after);
        Check(after == before[i]);
    }
    return 0;
}
