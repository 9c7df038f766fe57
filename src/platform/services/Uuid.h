#pragma once

#include <optional>
#include <string>

namespace tq {

// A new random identifier in the usual 8-4-4-4-12 upper-case form, or nothing when the system
// has no randomness to give.
std::optional<std::string> makeUuid();

}  // namespace tq
