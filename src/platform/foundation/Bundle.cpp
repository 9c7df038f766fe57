#include "platform/foundation/Bundle.h"

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

}  // namespace tq
