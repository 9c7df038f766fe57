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

private:
    std::filesystem::path root_;
    std::optional<std::string> identifier_;
};

}  // namespace tq
