#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace tq {

// The application bundle: the resources folder laid out at build time.
class Bundle {
public:
    explicit Bundle(std::filesystem::path root) : root_(std::move(root)) {}
    const std::filesystem::path& root() const { return root_; }
    // The resource "name.type" in the bundle, or nothing when it is not there.
    std::optional<std::filesystem::path> pathForResource(const std::string& name, const std::string& type) const;

private:
    std::filesystem::path root_;
};

}  // namespace tq
