#pragma once

#include <array>
#include <string>

namespace tq {

// The product's three web sites. Links to them open inside the application, and the update check
// and the assets live on them.
namespace ProductSites {
inline constexpr const char* french = "www.trelvoquest.com";
inline constexpr const char* english = "www.trelvoquest-tours.com";
inline constexpr const char* spanish = "www.trelvoquest.es";
// The host of the tours' media files.
inline constexpr const char* media = "media.trelvoquest.com";

// Scheme, "://" and host, with nothing after the host: the texts an accepted link begins with.
inline std::array<std::string, 6> linkPrefixes() {
    return {std::string("http://") + french, std::string("https://") + french, std::string("http://") + english,
            std::string("https://") + english, std::string("http://") + spanish, std::string("https://") + spanish};
}
}  // namespace ProductSites

}  // namespace tq
