// Maps arbitrary URL paths into a share that holds a folder, a file and links out of it; whatever
// is found must lie inside the share, and no refused spelling may have reached the file system.
#include <sys/stat.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

#include "core/settings_keys.h"
#include "server/share_paths.h"
#include "web/share_target.h"
#include "web/url_path.h"

namespace {

struct Fixture {
    Fixture() {
        std::string pattern = std::filesystem::temp_directory_path() / "wendaro-fuzz-XXXXXX";
        if (::mkdtemp(pattern.data()) == nullptr) std::abort();
        root = pattern;
        std::filesystem::create_directories(root + "/share/a/b");
        std::filesystem::create_directories(root + "/outside");
        std::ofstream(root + "/share/a/file.txt") << "in";
        std::ofstream(root + "/outside/secret") << "out";
        std::filesystem::create_symlink(root + "/outside", root + "/share/out");
        std::filesystem::create_symlink(root + "/outside/secret", root + "/share/a/s");
        std::filesystem::create_symlink("..", root + "/share/a/up");
        settings = std::make_unique<utilcpp::CParseini>(root + "/wendaro.ini");
        if (!settings->SetString(settings_keys::kShares, "x", root + "/share")) std::abort();
        shareRoot = std::filesystem::canonical(root + "/share");
    }
    ~Fixture() { std::filesystem::remove_all(root); }
    std::string root;
    std::string shareRoot;
    std::unique_ptr<utilcpp::CParseini> settings;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static Fixture fixture;
    const std::string_view raw(reinterpret_cast<const char*>(data), size);

    std::vector<std::string> components;
    bool trailing = false;
    if (web::SplitUrlPath(raw, components, trailing)) {
        for (const std::string& name : components) {
            if (name.empty() || name == "." || name == ".." ||
                name.find_first_of(std::string_view("/\\\0", 3)) != std::string::npos ||
                !web::IsValidUtf8(name)) {
                std::abort();
            }
            // Encoding and splitting again gives the same names.
            std::vector<std::string> again;
            bool unused = false;
            if (!web::SplitUrlPath("/" + web::PercentEncode(name), again, unused) ||
                again.size() != 1 || again[0] != name) {
                std::abort();
            }
        }
    }

    const web::ShareTarget target = web::ResolveUrl(*fixture.settings, raw, "/s/");
    if (target.kind == web::TargetKind::File || target.kind == web::TargetKind::Folder) {
        if (!server::IsWithin(target.local.path, fixture.shareRoot)) std::abort();
        if (target.local.path.find("outside") != std::string::npos) std::abort();
    }
    return 0;
}
