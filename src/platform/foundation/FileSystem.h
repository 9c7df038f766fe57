#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace tq {

// Reads a whole file; nothing when it cannot be read.
std::optional<std::string> readFile(const std::filesystem::path& path);
// Writes to a temporary name beside the target and renames it over; false on any failure, and
// then nothing of the new content is left behind.
bool writeFileAtomically(const std::filesystem::path& path, const std::string& bytes);

}  // namespace tq
