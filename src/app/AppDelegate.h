#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "app/LinkRouting.h"

namespace tq {

class Environment;
class ObjectStore;

// Language index shared by every screen: 0 English, 1 French, 2 Spanish.
enum LanguageIndex : std::int64_t { kEnglish = 0, kFrench = 1, kSpanish = 2 };

struct SceneConfiguration {
    std::string name;            // "Default Configuration"
    std::string sessionRole;     // the application (window) session role
    std::string sceneClass;      // the window-scene class
    std::string delegateClass;   // "SceneDelegate"
    std::string storyboardName;  // "Main" on phones, "Main-ipad" otherwise
};

// The application delegate: every application-wide setting and piece of shared state, kept for
// the life of the process. Screens keep a reference to it (`app`) and read and write its fields.
class AppDelegate {
public:
    explicit AppDelegate(Environment& env);
    static AppDelegate& shared();
    Environment& environment() { return env_; }

    // Launch: settles the language, loads the dictionary, reads the settings, configures analytics.
    bool didFinishLaunching();
    SceneConfiguration configurationForConnectingSceneSession() const;

    // Incoming links (entries 3 and 4): both answer true in every case.
    bool continueUserActivity(const UserActivity& activity);
    bool openURL(const std::string& address);
    bool handleURL(const std::string& address) { return routeIncomingLink(*this, address); }

    void applicationWillResignActive() {}
    void applicationDidEnterBackground() {}
    void applicationWillEnterForeground() {}
    void applicationDidBecomeActive() {}
    void applicationWillTerminate() { saveContext(); }

    ObjectStore& persistentContainer();
    void saveContext();
    // Replaces `dictLang` with the bundle dictionary of `tempLang`.
    void loadLanguageDictionary();

    // Dictionary lookups: the text of a key, or nothing / an empty text when the key is missing.
    std::optional<std::string> lookup(const std::string& key) const;
    std::string text(const std::string& key) const { return lookup(key).value_or(""); }

    std::int64_t lang = 0;
    std::int64_t tempLang = 0;
    std::map<std::string, std::string> dictLang;
    bool downloadInProgress = false;
    bool updateInProgress = false;
    bool downloadComplete = false;
    bool toursDone = false;
    std::optional<std::string> idTourToPush;
    std::optional<std::string> idPoiToPush;
    std::string tourId;
    bool isMyTour = false;
    bool followMe = false;
    std::string distanceUnit = "km";
    bool openListDirectly = false;
    std::string idAudioPlaying;

    // The resource name of the dictionary for a language index.
    static std::string dictionaryResourceName(std::int64_t language);
    // "en…" gives 0, "es…" gives 2, anything else (and an empty list) 1.
    static std::int64_t languageIndexForPreferredLanguages(const std::optional<std::vector<std::string>>& languages);

private:
    void settleLanguage();
    void readSettings();

    Environment& env_;
    bool containerLoaded_ = false;
};

}  // namespace tq
