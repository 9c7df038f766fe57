#pragma once

#include <string>

namespace tq {

// Whether `address` begins with `prefix` (a scheme, "://" and a host) and the host ends where the
// prefix does: after it comes the end, "/", ":", "?" or "#". A host that merely starts like a
// product host ("www.trelvoquest.com.example") is not the product's.
bool beginsWithSite(const std::string& address, const std::string& prefix);

// A link to one of the three product sites, over http or https.
bool isOwnSiteLink(const std::string& address);

// An address a media player can open: a scheme, and no blank or control character.
bool isPlayableAddress(const std::string& address);

}  // namespace tq
