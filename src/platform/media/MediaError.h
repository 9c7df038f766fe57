#pragma once

#include <string>

namespace tq {

struct MediaError {
    int code = 0;
    std::string description;
    bool operator==(const MediaError&) const = default;
};

}  // namespace tq
