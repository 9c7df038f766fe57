#pragma once

#include <string>
#include <string_view>

namespace tq {

// Whether a text may stand as one file or folder name under a folder we own: not empty, no "/",
// no NUL, and not "." or "..". Identifiers from the web service and names taken from addresses
// pass through here before they reach a path, so none can point outside its folder.
bool isSafePathComponent(std::string_view name);

// The text after the last "/" of an address: the whole text when it holds no "/", empty text when
// it ends with "/".
std::string_view lastPathComponent(std::string_view address);

// The address with a leading "http:" scheme turned into "https:"; anything else is left alone.
std::string secureAddress(std::string_view address);

}  // namespace tq
