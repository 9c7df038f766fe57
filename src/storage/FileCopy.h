#pragma once

#include <filesystem>
#include <system_error>

namespace tq {

// Copies `source` to `destination` unless something exists there already (then file_exists).
// The bytes go to a temporary file beside the destination, which is linked into place only when
// complete, so a full disk or a crash never leaves a half-written destination behind, and an
// existing file is never replaced.
std::error_code copyFileWithoutReplacing(const std::filesystem::path& source,
                                         const std::filesystem::path& destination);

}  // namespace tq
