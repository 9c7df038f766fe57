#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace tq {

// The application bundle: the resources folder laid out at build time.
class Bundle {
public:
    explicit Bundle(std::filesystem::path root, std::optional<std::string> identifier = defaultIdentifier)
        : root_(std::move(root)), identifier_(std::move(identifier)) {}
    static constexpr const char* defaultIdentifier = "com.trelvoquest.app";

    const std::filesystem::path& root() const { return root_; }
    // The application's reverse-domain name, as the system knows it; nothing for a bundle without one.
    const std::optional<std::string>& bundleIdentifier() const { return identifier_; }
    // The resource "name.type" in the bundle, or nothing when it is not there.
    std::optional<std::filesystem::path> pathForResource(const std::string& name, const std::string& type) const;
    // The file of the bundle picture `name`, as screens name them: "home" or "back.png". A name
    // without an extension is a PNG. Of the picture's scales ("home@2x.png" is the same picture at
    // twice the pixels) the one for `scale` is preferred, then the nearest; nothing for an empty
    // name or a picture the bundle lacks.
    std::optional<std::filesystem::path> pathForImage(const std::string& name, int scale = 1) const;

private:
    std::filesystem::path root_;
    std::optional<std::string> identifier_;
};

}  // namespace tq
