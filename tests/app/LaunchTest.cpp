#include <gtest/gtest.h>

#include "app/AppDelegate.h"
#include "app/Application.h"
#include "platform/foundation/FileSystem.h"
#include "platform/services/Analytics.h"
#include "platform/services/ObjectStore.h"
#include "platform/services/StoreReview.h"
#include "support/TestEnvironment.h"

namespace tq {
namespace {

// A bundle with three small dictionaries whose "Close" texts tell which one was loaded.
class DictionaryBundle {
public:
    DictionaryBundle() {
        write("TrelvoQuestLanguageEN", "Close");
        write("TrelvoQuestLanguageFR", "Fermer");
        write("TrelvoQuestLanguageES", "Cerrar");
    }
    void write(const std::string& name, const std::string& close) {
        writeRaw(name, "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\"><dict>"
                       "<key>Close</key><string>" + close + "</string></dict></plist>");
    }
    void writeRaw(const std::string& name, const std::string& bytes) {
        ASSERT_TRUE(writeFileAtomically(dir.path() / (name + ".plist"), bytes));
    }
    void remove(const std::string& name) { std::filesystem::remove(dir.path() / (name + ".plist")); }
    test::TestEnvironmentOptions options(std::vector<std::string> languages = {"en-GB"}) const {
        test::TestEnvironmentOptions o;
        o.bundleDir = dir.path();
        o.preferredLanguages = std::move(languages);
        return o;
    }
    test::TempDir dir;
};

TEST(Launch, FirstLaunchSettlesTheLanguageFromThePreferredLanguages) {
    struct Case {
        std::vector<std::string> languages;
        std::int64_t lang;
        std::string close;
    };
    const std::vector<Case> cases = {
        {{"es-MX"}, 2, "Cerrar"}, {{"en-GB"}, 0, "Close"}, {{"de-DE"}, 1, "Fermer"},
        {{"pt-BR", "en"}, 1, "Fermer"}, {{}, 1, "Fermer"}, {{"e"}, 1, "Fermer"},
    };
    DictionaryBundle bundle;
    for (const auto& c : cases) {
        test::TestEnvironment env(bundle.options(c.languages));
        auto& app = env->shared<AppDelegate>();
        EXPECT_TRUE(app.didFinishLaunching());
        EXPECT_EQ(app.lang, c.lang);
        EXPECT_EQ(app.tempLang, c.lang);
        EXPECT_EQ(env->settings().integerForKey("lang"), c.lang);
        EXPECT_EQ(app.text("Close"), c.close);
    }
}

TEST(Launch, StoredLanguageHoldsOnLaterLaunchesWhateverTheDeviceSays) {
    DictionaryBundle bundle;
    test::TestEnvironment env(bundle.options({"en-US"}));
    env->shared<AppDelegate>().didFinishLaunching();
    env.relaunch(bundle.options({"es-ES"}));
    auto& app = env->shared<AppDelegate>();
    app.didFinishLaunching();
    EXPECT_EQ(app.lang, 0);
    EXPECT_EQ(app.text("Close"), "Close");
}

TEST(Launch, FirstLaunchWritesOnlyTheLanguageAndTheOpenListSetting) {
    DictionaryBundle bundle;
    test::TestEnvironment env(bundle.options());
    auto& app = env->shared<AppDelegate>();
    app.didFinishLaunching();
    EXPECT_EQ(app.distanceUnit, "km");
    EXPECT_FALSE(app.followMe);
    EXPECT_FALSE(app.openListDirectly);
    EXPECT_FALSE(env->settings().holdsValue("distanceUnit"));
    EXPECT_FALSE(env->settings().holdsValue("followMe"));
    EXPECT_TRUE(env->settings().holdsValue("openAppList"));
    EXPECT_FALSE(env->settings().boolForKey("openAppList"));
    EXPECT_TRUE(Analytics::shared().isConfigured());

    // What the first launch wrote is on disk for the next one.
    SettingsStore onDisk(env->settings().file(), {});
    EXPECT_TRUE(onDisk.holdsValue("lang"));
    EXPECT_TRUE(onDisk.holdsValue("openAppList"));
}

TEST(Launch, StoredSettingsAreReadBack) {
    DictionaryBundle bundle;
    test::TestEnvironment env(bundle.options());
    env->settings().setString("distanceUnit", "mile");
    env->settings().setBool("followMe", true);
    env->settings().setBool("openAppList", true);
    env->settings().setInteger("lang", 2);
    auto& app = env->shared<AppDelegate>();
    app.didFinishLaunching();
    EXPECT_EQ(app.distanceUnit, "mile");
    EXPECT_TRUE(app.followMe);
    EXPECT_TRUE(app.openListDirectly);
    EXPECT_EQ(app.lang, 2);
}

TEST(LanguageDictionary, TempLangChoosesTheDictionary) {
    DictionaryBundle bundle;
    test::TestEnvironment env(bundle.options());
    auto& app = env->shared<AppDelegate>();
    const std::vector<std::pair<std::int64_t, std::string>> cases = {{0, "Close"}, {1, "Fermer"}, {2, "Cerrar"},
                                                                     {7, "Cerrar"}, {-1, "Cerrar"}};
    for (const auto& [tempLang, close] : cases) {
        app.tempLang = tempLang;
        app.loadLanguageDictionary();
        EXPECT_EQ(app.text("Close"), close) << tempLang;
    }
    EXPECT_EQ(app.lookup("NoSuchKey"), std::nullopt);
    EXPECT_EQ(app.text("NoSuchKey"), "");
}

TEST(LanguageDictionary, ABadDictionaryLeavesThePreviousOneInPlace) {
    DictionaryBundle bundle;
    bundle.writeRaw("TrelvoQuestLanguageFR",
                    "<?xml version=\"1.0\"?><plist version=\"1.0\"><dict><key>Close</key><string>Fermer</string>"
                    "<key>Count</key><integer>3</integer></dict></plist>");
    bundle.writeRaw("TrelvoQuestLanguageES", "not a property list at all");
    bundle.remove("TrelvoQuestLanguageEN");
    test::TestEnvironment env(bundle.options({"es"}));
    auto& app = env->shared<AppDelegate>();
    app.dictLang = {{"Close", "before"}};

    app.tempLang = 1;  // a number among the texts: silently ignored
    app.loadLanguageDictionary();
    EXPECT_EQ(app.text("Close"), "before");
    EXPECT_TRUE(env->console().lines().empty());

    app.tempLang = 2;  // unreadable: one console line
    app.loadLanguageDictionary();
    EXPECT_EQ(app.text("Close"), "before");
    EXPECT_EQ(env->console().lines().size(), 1u);

    app.tempLang = 0;  // missing from the bundle: one console line, no crash
    app.loadLanguageDictionary();
    EXPECT_EQ(app.text("Close"), "before");
    EXPECT_EQ(env->console().lines().size(), 2u);
}

TEST(SceneConfiguration, StoryboardFollowsTheDeviceIdiom) {
    DictionaryBundle bundle;
    for (auto [idiom, storyboard] : {std::pair{DeviceIdiom::phone, "Main"}, std::pair{DeviceIdiom::pad, "Main-ipad"}}) {
        auto options = bundle.options();
        options.device.idiom = idiom;
        test::TestEnvironment env(options);
        auto& application = env->shared<Application>();
        application.launch();
        ASSERT_TRUE(application.sceneConfiguration());
        EXPECT_EQ(application.sceneConfiguration()->storyboardName, storyboard);
        EXPECT_EQ(application.sceneConfiguration()->name, "Default Configuration");
        EXPECT_EQ(application.sceneConfiguration()->delegateClass, "SceneDelegate");
    }
}

TEST(Saving, GoingToTheBackgroundCreatesTheEmptyStoreAndWritesNothing) {
    DictionaryBundle bundle;
    test::TestEnvironment env(bundle.options());
    auto& application = env->shared<Application>();
    application.launch();
    auto& store = env->shared<ObjectStore>();
    EXPECT_FALSE(std::filesystem::exists(store.storeFile()));
    application.enterBackground();
    EXPECT_TRUE(std::filesystem::exists(store.storeFile()));
    EXPECT_EQ(store.saves(), 0);
    application.terminate();
    EXPECT_EQ(store.saves(), 0);
    EXPECT_EQ(store.name(), "TrelvoApp");
}

TEST(StoreReviewRequest, GoesToTheFirstForegroundActiveWindowSceneOnTheNextTurn) {
    DictionaryBundle bundle;
    test::TestEnvironment env(bundle.options());
    auto& review = env->shared<StoreReview>();
    review.connectedScenes() = {{"background", SceneActivationState::background, true},
                                {"active", SceneActivationState::foregroundActive, true},
                                {"later", SceneActivationState::foregroundActive, true}};
    requestReviewInCurrentScene();
    EXPECT_TRUE(review.requests().empty());
    env.settle();
    EXPECT_EQ(review.requests(), (std::vector<std::string>{"active"}));

    review.connectedScenes() = {{"not-window", SceneActivationState::foregroundActive, false},
                                {"window", SceneActivationState::foregroundActive, true}};
    requestReviewInCurrentScene();
    review.connectedScenes() = {{"inactive", SceneActivationState::foregroundInactive, true}};
    requestReviewInCurrentScene();
    env.settle();
    EXPECT_EQ(review.requests().size(), 1u);
}

}  // namespace
}  // namespace tq
