#include "app/AppDelegate.h"

#include "platform/foundation/Environment.h"
#include "platform/foundation/FileSystem.h"
#include "platform/foundation/PropertyList.h"
#include "platform/foundation/SettingsStore.h"
#include "platform/services/Analytics.h"
#include "platform/services/ObjectStore.h"
#include "platform/ui/HttpImageFetcher.h"
#include "platform/ui/ImageLoader.h"
#include "platform/ui/UiApplication.h"

namespace tq {
namespace SettingsKeys {
constexpr const char* lang = "lang";
constexpr const char* distanceUnit = "distanceUnit";
constexpr const char* followMe = "followMe";
constexpr const char* openAppList = "openAppList";
}  // namespace SettingsKeys

AppDelegate::AppDelegate(Environment& env) : env_(env) {}

AppDelegate& AppDelegate::shared() { return Environment::current().shared<AppDelegate>(); }

bool AppDelegate::didFinishLaunching() {
    settleLanguage();
    tempLang = lang;
    loadLanguageDictionary();
    readSettings();
    Analytics::shared().configure();
    // Remote pictures come through the HTTP client unless something else was plugged in first.
    auto& images = env_.shared<ImageLoader>();
    if (!images.remoteFetcher()) images.setRemoteFetcher(std::make_shared<HttpImageFetcher>(env_));
    return true;
}

std::int64_t AppDelegate::languageIndexForPreferredLanguages(const std::optional<std::vector<std::string>>& languages) {
    if (!languages || languages->empty()) return kFrench;
    const auto code = languages->front().substr(0, 2);
    if (code == "es") return kSpanish;
    if (code == "en") return kEnglish;
    return kFrench;
}

void AppDelegate::settleLanguage() {
    auto& settings = env_.settings();
    if (settings.holdsValue(SettingsKeys::lang)) {
        lang = settings.integerForKey(SettingsKeys::lang);
        return;
    }
    lang = languageIndexForPreferredLanguages(settings.stringArrayForKey(SettingsStore::kPreferredLanguagesKey));
    settings.setInteger(SettingsKeys::lang, lang);
    settings.synchronize();
}

void AppDelegate::readSettings() {
    auto& settings = env_.settings();
    distanceUnit = settings.stringForKey(SettingsKeys::distanceUnit).value_or("km");
    followMe = settings.holdsValue(SettingsKeys::followMe) ? settings.boolForKey(SettingsKeys::followMe) : false;
    if (settings.holdsValue(SettingsKeys::openAppList)) {
        openListDirectly = settings.boolForKey(SettingsKeys::openAppList);
    } else {
        settings.setBool(SettingsKeys::openAppList, false);
        settings.synchronize();
    }
}

SceneConfiguration AppDelegate::configurationForConnectingSceneSession() const {
    const bool phone = env_.device().idiom == DeviceIdiom::phone;
    return {"Default Configuration", "windowApplication", "WindowScene", "SceneDelegate", phone ? "Main" : "Main-ipad"};
}

bool AppDelegate::continueUserActivity(const UserActivity& activity) {
    idTourToPush.reset();
    idPoiToPush.reset();
    if (activity.webpageURL) handleURL(*activity.webpageURL);
    return true;
}

bool AppDelegate::openURL(const std::string& address) {
    if (address.rfind("fb", 0) == 0) return true;
    idTourToPush.reset();
    idPoiToPush.reset();
    handleURL(address);
    return true;
}

std::string AppDelegate::dictionaryResourceName(std::int64_t language) {
    if (language == kEnglish) return "TrelvoQuestLanguageEN";
    if (language == kFrench) return "TrelvoQuestLanguageFR";
    return "TrelvoQuestLanguageES";
}

void AppDelegate::loadLanguageDictionary() {
    // The platform's own texts (the back button's generic title) speak the interface language,
    // as the system's do for an application in that language; a tour's language does not move them.
    UiApplication::shared().setLocalization(lang == kEnglish ? "en" : lang == kSpanish ? "es" : "fr");
    const auto name = dictionaryResourceName(tempLang);
    auto path = env_.bundle().pathForResource(name, "plist");
    auto bytes = path ? readFile(*path) : std::nullopt;
    if (!bytes) {
        // The application ships all three; a damaged bundle keeps the dictionary it has.
        env_.console().log("The file \"" + name + ".plist\" couldn't be opened because there is no such file.");
        return;
    }
    auto parsed = parsePropertyList(*bytes);
    if (!parsed.value) {
        env_.console().log(parsed.error);
        return;
    }
    if (auto table = asStringTable(*parsed.value)) dictLang = std::move(*table);
}

std::optional<std::string> AppDelegate::lookup(const std::string& key) const {
    auto it = dictLang.find(key);
    if (it == dictLang.end()) return std::nullopt;
    return it->second;
}

ObjectStore& AppDelegate::persistentContainer() {
    auto& store = env_.shared<ObjectStore>();
    if (!containerLoaded_) {
        containerLoaded_ = true;
        std::string error;
        if (!store.loadPersistentStores(error)) env_.console().log("Unresolved error " + error + ", [:]");
    }
    return store;
}

void AppDelegate::saveContext() {
    auto& store = persistentContainer();
    if (!store.hasChanges()) return;
    std::string error;
    if (!store.save(error)) env_.console().log("Unresolved error " + error + ", [:]");
}

}  // namespace tq
