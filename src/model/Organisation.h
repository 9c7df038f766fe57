#pragma once

#include <memory>
#include <optional>
#include <string>

namespace tq {

// The organisation behind a point of interest. Only carried: read with its point and written
// back with it. Shared by reference, like the point that holds it.
struct Organisation {
    std::optional<std::string> org_id;
    std::optional<std::string> name;
    std::optional<std::string> website;
};

using OrganisationRef = std::shared_ptr<Organisation>;

}  // namespace tq
