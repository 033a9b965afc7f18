#include "web/share_target.h"

#include "web/url_path.h"

namespace web {

ShareTarget ResolveShareTarget(const utilcpp::CParseini& settings,
                               std::vector<std::string> components) {
    ShareTarget target;
    target.components = std::move(components);
    if (target.components.empty()) {
        target.kind = TargetKind::BadRequest;
        return target;
    }
    std::string folder;
    if (!server::LookupShareFolder(settings, target.components.front(), folder)) return target;
    std::string rest;
    for (std::size_t i = 1; i < target.components.size(); ++i) rest += "\\" + target.components[i];
    if (!server::MapIntoShare(folder, rest, target.local)) return target;
    switch (target.local.kind) {
        case server::PathKind::Folder:
            target.kind = TargetKind::Folder;
            break;
        case server::PathKind::File:
            target.kind = TargetKind::File;
            break;
        default:
            target.kind = TargetKind::NotFound;
            break;
    }
    return target;
}

ShareTarget ResolveUrl(const utilcpp::CParseini& settings, std::string_view rawPath,
                       std::string_view prefix) {
    ShareTarget bad;
    bad.kind = TargetKind::BadRequest;
    if (!rawPath.starts_with(prefix) || prefix.empty() || prefix.back() != '/') return bad;
    std::vector<std::string> components;
    bool trailingSlash = false;
    // The prefix's own final "/" begins the rest.
    if (!SplitUrlPath(rawPath.substr(prefix.size() - 1), components, trailingSlash) ||
        components.empty()) {
        return bad;
    }
    return ResolveShareTarget(settings, std::move(components));
}

}  // namespace web
