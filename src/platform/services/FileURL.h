#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace tq {

// "file://" addresses for local files, as web views and the image loader take them.
// The path is written percent-encoded where a character has a meaning in an address.
std::string fileURL(const std::filesystem::path& path);
// The local path of a "file:" address (with or without an empty host), decoded; nothing for any
// other address or a malformed escape.
std::optional<std::filesystem::path> pathFromFileURL(const std::string& address);
// True when the address starts with the given scheme and its colon, compared without case.
bool hasScheme(const std::string& address, const std::string& scheme);

}  // namespace tq
