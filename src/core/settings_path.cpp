#include "core/settings_path.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <vector>

#include "util/folder_of.h"

namespace utilcpp {

namespace {

constexpr const char* kFileName = "wendaro.ini";
constexpr const char* kFolderName = "wendaro";

bool IsRegularFile(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

std::string JoinPath(const std::string& folder, const std::string& name) {
    if (!folder.empty() && folder.back() == '/') return folder + name;
    return folder + "/" + name;
}

std::string HomeFolder() {
    if (const char* home = std::getenv("HOME"); home != nullptr && home[0] == '/') return home;
    long size = ::sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(size > 0 ? static_cast<std::size_t>(size) : 16384);
    struct passwd entry {};
    struct passwd* result = nullptr;
    if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &result) == 0 &&
        result != nullptr && result->pw_dir != nullptr) {
        return result->pw_dir;
    }
    return {};
}

// A relative XDG_CONFIG_HOME is invalid and ignored.
std::string ConfigFolder() {
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg != nullptr && xdg[0] == '/') {
        return xdg;
    }
    const std::string home = HomeFolder();
    return home.empty() ? std::string() : JoinPath(home, ".config");
}

// A relative XDG_STATE_HOME is invalid and ignored, as for the settings.
std::string StateFolder() {
    if (const char* xdg = std::getenv("XDG_STATE_HOME"); xdg != nullptr && xdg[0] == '/') {
        return xdg;
    }
    const std::string home = HomeFolder();
    return home.empty() ? std::string() : JoinPath(home, ".local/state");
}

}  // namespace

std::string ResolveStatePath(const std::string& name) {
    const std::string folder = StateFolder();
    return folder.empty() ? std::string() : JoinPath(JoinPath(folder, kFolderName), name);
}

std::string ResolveDownloadStatePath(const std::string& settingsFile) {
    if (settingsFile == ResolveSettingsPath({}, {})) return ResolveStatePath("downloads");
    return settingsFile + ".downloads";
}

std::string ExecutablePath() {
    std::vector<char> buffer(4096);
    const ssize_t length = ::readlink("/proc/self/exe", buffer.data(), buffer.size());
    if (length <= 0 || static_cast<std::size_t>(length) >= buffer.size()) return {};
    return std::string(buffer.data(), static_cast<std::size_t>(length));
}

std::string ResolveSettingsPath(const std::string& configOverride,
                                const std::string& executablePath) {
    if (!configOverride.empty()) return configOverride;
    std::string besideExecutable =
        executablePath.empty() ? std::string() : JoinPath(FolderOf(executablePath), kFileName);
    if (!besideExecutable.empty() && IsRegularFile(besideExecutable)) return besideExecutable;
    const std::string configFolder = ConfigFolder();
    if (!configFolder.empty()) return JoinPath(JoinPath(configFolder, kFolderName), kFileName);
    // No home at all: keep the settings beside the program rather than nowhere.
    return besideExecutable.empty() ? std::string(kFileName) : besideExecutable;
}

}  // namespace utilcpp
