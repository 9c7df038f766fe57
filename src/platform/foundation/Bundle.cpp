#include "platform/foundation/Bundle.h"

#include <algorithm>
#include <vector>

namespace tq {

std::optional<std::filesystem::path> Bundle::pathForResource(const std::string& name, const std::string& type) const {
    if (name.empty() || name.find("..") != std::string::npos) return std::nullopt;
    auto file = type.empty() ? name : name + "." + type;
    std::error_code ec;
    auto direct = root_ / file;
    if (std::filesystem::is_regular_file(direct, ec)) return direct;
    // Resources may sit in sub-folders of the bundle; the first match by name wins.
    for (auto it = std::filesystem::recursive_directory_iterator(root_, ec);
         !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec)) {
        if (it->is_regular_file(ec) && it->path().filename() == file) return it->path();
    }
    return std::nullopt;
}

std::optional<std::filesystem::path> Bundle::pathForImage(const std::string& name, int scale) const {
    auto dot = name.rfind('.');
    const bool hasType = dot != std::string::npos && dot > 0 && name.find('/', dot) == std::string::npos;
    const std::string base = hasType ? name.substr(0, dot) : name;
    const std::string type = hasType ? name.substr(dot + 1) : "png";
    if (base.empty()) return std::nullopt;
    scale = std::clamp(scale, 1, 3);
    // The wanted scale first, then the scales below it (downwards the picture only grows softer),
    // then those above.
    std::vector<int> scales{scale};
    for (int s = scale - 1; s >= 1; --s) scales.push_back(s);
    for (int s = scale + 1; s <= 3; ++s) scales.push_back(s);
    for (int s : scales) {
        auto file = s == 1 ? base : base + "@" + std::to_string(s) + "x";
        if (auto path = pathForResource(file, type)) return path;
    }
    return std::nullopt;
}

}  // namespace tq
