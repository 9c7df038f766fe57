#include "screens/browse/TourSelection.h"

#include "app/AppDelegate.h"
#include "product/ProductSites.h"
#include "platform/foundation/Environment.h"
#include "platform/net/Reachability.h"

namespace tq {

std::int64_t tourLanguageIndex(const std::optional<std::string>& language) {
    if (language == "fr") return kFrench;
    if (language == "es") return kSpanish;
    return kEnglish;
}

bool selectTourForDetail(AppDelegate& app, const TourRef& tour) {
    if (!tour || !tour->circuit_id) return false;
    app.tourId = *tour->circuit_id;
    app.tempLang = tourLanguageIndex(tour->language);
    app.loadLanguageDictionary();
    return true;
}

void restoreInterfaceLanguage(AppDelegate& app) {
    app.tempLang = app.lang;
    app.loadLanguageDictionary();
}

bool isServiceReachable() { return Reachability::isConnectedToNetwork(Environment::current(), ProductSites::french); }

}  // namespace tq
