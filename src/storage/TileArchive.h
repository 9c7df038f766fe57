#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

namespace tq {

// Extracts a tour's tile archive (zip) into its tiles folder, synchronously, streaming each entry
// to disk in small chunks. The whole archive is checked before anything is written: an entry that
// is absolute, holds a ".." segment or a backslash, is a link or another special file, would land
// on the archive itself, or would bring the extracted total past `freeBytes`, fails the
// extraction. Sizes are counted again while writing, as an archive may lie about them.
// Returns true when every entry was written; otherwise false with the reason in `error`. Nothing
// is ever written outside `tilesFolder`; an entry cut short is removed.
bool extractTileArchive(const std::filesystem::path& archive, const std::filesystem::path& tilesFolder,
                        std::int64_t freeBytes, std::string& error);

}  // namespace tq
