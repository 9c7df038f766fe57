#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "model/Tour.h"

namespace tq {

class AppDelegate;

// The language index a tour opens in: "fr" 1, "es" 2, anything else (or none) 0.
std::int64_t tourLanguageIndex(const std::optional<std::string>& language);

// What every tour list does when a row is picked, before the tour screen shows: the tour becomes
// `tourId`, its language `tempLang`, and the texts follow it. A tour without `circuit_id` cannot
// be opened: nothing changes and the answer is false.
bool selectTourForDetail(AppDelegate& app, const TourRef& tour);

// The interface language comes back after a tour screen showed its tour's language.
void restoreInterfaceLanguage(AppDelegate& app);

// Whether the web service can be reached, as the screens ask before they call it.
bool isServiceReachable();

}  // namespace tq
