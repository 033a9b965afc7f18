// The files the pages link to below "/_/": the style sheet and the program's icons.
#pragma once

#include <string_view>
#include <vector>

namespace web {

struct WebAsset {
    std::string_view name;
    std::string_view contents;
};

const std::vector<WebAsset>& WebAssets();

}  // namespace web
