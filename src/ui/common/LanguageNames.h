#pragma once

#include <string>

namespace tq {

// A language's name in its own language, for the fifteen language versions a tour can have;
// any other code, the empty one included, gives "English".
std::string languageName(const std::string& code);

}  // namespace tq
