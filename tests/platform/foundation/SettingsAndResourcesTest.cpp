#include <gtest/gtest.h>

#include <fstream>

#include "platform/foundation/Bundle.h"
#include "platform/foundation/FileSystem.h"
#include "platform/foundation/PropertyList.h"
#include "platform/foundation/SettingsStore.h"
#include "support/TestEnvironment.h"

namespace tq {
namespace {

TEST(SettingsStore, WritesSurviveARelaunchOnlyOnceSynchronized) {
    test::TempDir dir;
    auto file = dir.path() / "settings.json";
    {
        SettingsStore store(file, {});
        EXPECT_FALSE(store.holdsValue("lang"));
        store.setInteger("lang", 2);
        store.setBool("openAppList", false);
        store.setString("distanceUnit", "mile");
        EXPECT_TRUE(store.synchronize());
    }
    SettingsStore again(file, {});
    EXPECT_TRUE(again.holdsValue("lang"));
    EXPECT_EQ(again.integerForKey("lang"), 2);
    EXPECT_TRUE(again.holdsValue("openAppList"));
    EXPECT_FALSE(again.boolForKey("openAppList"));
    EXPECT_EQ(again.stringForKey("distanceUnit"), "mile");
    EXPECT_FALSE(again.boolForKey("followMe"));
    EXPECT_EQ(again.stringForKey("followMe"), std::nullopt);
}

TEST(SettingsStore, DamagedFileReadsAsEmpty) {
    test::TempDir dir;
    auto file = dir.path() / "settings.json";
    ASSERT_TRUE(writeFileAtomically(file, "{not json"));
    SettingsStore store(file, {});
    EXPECT_FALSE(store.holdsValue("lang"));
}

TEST(SettingsStore, PreferredLanguagesComeFromTheLocaleVariables) {
    using Env = std::map<std::string, std::string>;
    struct Case {
        Env env;
        std::vector<std::string> expected;
    };
    const std::vector<Case> cases = {
        {{{"LANG", "fr_FR.UTF-8"}}, {"fr-FR"}},
        {{{"LANGUAGE", "es_MX:en"}, {"LANG", "fr_FR.UTF-8"}}, {"es-MX", "en"}},
        {{{"LC_ALL", "en_GB.UTF-8"}, {"LANG", "fr_FR.UTF-8"}}, {"en-GB"}},
        {{{"LC_MESSAGES", "de_DE@euro"}, {"LANG", "C"}}, {"de-DE"}},
        {{{"LANG", "C.UTF-8"}}, {}},
        {{}, {}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(SettingsStore::preferredLanguagesFromEnvironment(c.env), c.expected);
    }
    SettingsStore store(test::TempDir().path() / "s.json", {"pt-BR"});
    EXPECT_EQ(store.stringArrayForKey(SettingsStore::kPreferredLanguagesKey), (std::vector<std::string>{"pt-BR"}));
}

TEST(PropertyList, ReadsXmlAndRejectsWhatIsNotAStringTable) {
    const std::string xml = R"(<?xml version="1.0" encoding="UTF-8"?>
<!DOCTYPE plist PUBLIC "-//Apple//DTD PLIST 1.0//EN" "http://www.apple.com/DTDs/PropertyList-1.0.dtd">
<plist version="1.0"><dict><key>Close</key><string>Fermer</string><key>Notice</key><string>Avis</string></dict></plist>)";
    auto parsed = parsePropertyList(xml);
    ASSERT_TRUE(parsed.value);
    auto table = asStringTable(*parsed.value);
    ASSERT_TRUE(table);
    EXPECT_EQ(table->at("Close"), "Fermer");

    const std::string withNumber = R"(<?xml version="1.0" encoding="UTF-8"?>
<plist version="1.0"><dict><key>Close</key><string>Fermer</string><key>N</key><integer>3</integer></dict></plist>)";
    auto numbered = parsePropertyList(withNumber);
    ASSERT_TRUE(numbered.value);
    EXPECT_FALSE(asStringTable(*numbered.value));

    EXPECT_FALSE(parsePropertyList("this is not a property list").value);
    EXPECT_FALSE(parsePropertyList("").error.empty());
}

TEST(PropertyList, ReadsBinaryForm) {
    // bplist00 holding {"a": "b"}, made by the platform's own writer.
    const unsigned char bytes[] = {0x62, 0x70, 0x6c, 0x69, 0x73, 0x74, 0x30, 0x30, 0xd1, 0x01, 0x02, 0x51, 0x61,
                                   0x51, 0x62, 0x08, 0x0b, 0x0d, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x01, 0x01,
                                   0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x03, 0x00, 0x00, 0x00, 0x00, 0x00,
                                   0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x0f};
    auto parsed = parsePropertyList(std::string(reinterpret_cast<const char*>(bytes), sizeof bytes));
    ASSERT_TRUE(parsed.value) << parsed.error;
    auto table = asStringTable(*parsed.value);
    ASSERT_TRUE(table);
    EXPECT_EQ(table->at("a"), "b");
}

TEST(PropertyList, TextsWithANulInsideNeverStopTheProgram) {
    // {"a": "b\0c"} as a binary list: refused, as the list library cannot read it safely.
    const unsigned char small[] = {0x62, 0x70, 0x6c, 0x69, 0x73, 0x74, 0x30, 0x30, 0xd1, 0x01, 0x02, 0x51, 0x61,
                                   0x53, 0x62, 0x00, 0x63, 0x08, 0x0b, 0x0d, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
                                   0x01, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x03, 0x00, 0x00, 0x00,
                                   0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x11};
    auto parsed = parsePropertyList(std::string(reinterpret_cast<const char*>(small), sizeof small));
    EXPECT_FALSE(parsed.value);
    EXPECT_EQ(parsed.error, "The data couldn't be read because it isn't in the correct format.");

    // A damaged dictionary whose text lengths disagree with their NULs, as the fuzzer found it.
    const unsigned char damaged[] = {0x62, 0x70, 0x6c, 0x69, 0x73, 0x74, 0x30, 0x30, 0xd3, 0x09, 0x02, 0x03, 0x01, 0x04, 0x03, 0x55, 0x43,
                                   0x6c, 0x6f, 0x73, 0x65, 0x56, 0x4e, 0x65, 0x73, 0x74, 0x65, 0x64, 0x56, 0x53, 0x65, 0x61, 0x72, 0x63,
                                   0xd1, 0x68, 0x51, 0x05, 0x06, 0x61, 0xa3, 0x07, 0x08, 0x09, 0x10, 0x01, 0x23, 0x40, 0x04, 0x00, 0x00,
                                   0x00, 0x00, 0x00, 0x00, 0x09, 0x08, 0x0f, 0x15, 0x1c, 0x23, 0x26, 0x28, 0x2c, 0x2e, 0x00, 0x37, 0x00,
                                   0x00, 0x00, 0x00, 0x00, 0x01, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x0a, 0x00, 0x00, 0x00,
                                   0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x38};
    auto read = parsePropertyList(std::string(reinterpret_cast<const char*>(damaged), sizeof damaged));
    EXPECT_TRUE(read.value || !read.error.empty());
}

TEST(Bundle, FindsResourcesByNameAndType) {
    test::TempDir dir;
    std::filesystem::create_directories(dir.path() / "html");
    ASSERT_TRUE(writeFileAtomically(dir.path() / "TrelvoQuestLanguageEN.plist", "x"));
    ASSERT_TRUE(writeFileAtomically(dir.path() / "html" / "offline.html", "y"));
    Bundle bundle(dir.path());
    EXPECT_EQ(bundle.pathForResource("TrelvoQuestLanguageEN", "plist"), dir.path() / "TrelvoQuestLanguageEN.plist");
    EXPECT_EQ(bundle.pathForResource("offline", "html"), dir.path() / "html" / "offline.html");
    EXPECT_FALSE(bundle.pathForResource("missing", "plist"));
    EXPECT_FALSE(bundle.pathForResource("../etc/passwd", ""));
}

TEST(Bundle, FindsPicturesByTheirScreenNames) {
    test::TempDir dir;
    for (const char* file : {"home.png", "home@2x.png", "back.png", "logo@2x.png", "photo.jpg"}) {
        ASSERT_TRUE(writeFileAtomically(dir.path() / file, "x"));
    }
    Bundle bundle(dir.path());
    struct Case {
        std::string name;
        int scale;
        std::optional<std::string> file;
    };
    const Case cases[] = {
        {"home", 1, "home.png"},
        {"home", 2, "home@2x.png"},
        {"home", 3, "home@2x.png"},      // the nearest scale below
        {"home.png", 2, "home@2x.png"},  // a name may carry its type
        {"back.png", 1, "back.png"},
        {"back", 2, "back.png"},
        {"logo", 1, "logo@2x.png"},  // only a larger scale exists
        {"photo.jpg", 1, "photo.jpg"},
        {"photo", 1, std::nullopt},  // a name without a type is a PNG
        {"", 1, std::nullopt},
        {".png", 1, std::nullopt},
        {"missing", 1, std::nullopt},
        {"../home", 1, std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name + " at " + std::to_string(c.scale));
        auto found = bundle.pathForImage(c.name, c.scale);
        if (c.file) {
            EXPECT_EQ(found, dir.path() / *c.file);
        } else {
            EXPECT_FALSE(found);
        }
    }
}

TEST(Environment, SharedInstancesAreBuiltOnceAndGoWithTheirEnvironment) {
    static int alive = 0;
    struct Manager {
        explicit Manager(Environment&) { ++alive; }
        ~Manager() { --alive; }
    };
    {
        test::TestEnvironment env;
        auto& a = env->shared<Manager>();
        auto& b = Environment::current().shared<Manager>();
        EXPECT_EQ(&a, &b);
        EXPECT_EQ(alive, 1);
    }
    EXPECT_EQ(alive, 0);
    EXPECT_FALSE(Environment::hasCurrent());
}

}  // namespace
}  // namespace tq

namespace tq {
namespace {

TEST(Environment, AScreenIsChosenByItsSizeAmongTheKnownOnes) {
    struct Case {
        const char* text;
        bool known;
        DeviceIdiom idiom;
        Size size;
        bool landscape;
    };
    const Case cases[] = {
        {"375x812", true, DeviceIdiom::phone, {375, 812}, false},
        {"1024x768", true, DeviceIdiom::pad, {1024, 768}, true},
        {"834x1194", true, DeviceIdiom::pad, {834, 1194}, false},
        {"320x568", true, DeviceIdiom::phone, {320, 568}, false},
        {"400x800", false, {}, {}, false},
        {"375 x 812", false, {}, {}, false},
        {"375x", false, {}, {}, false},
        {"big", false, {}, {}, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        Size size;
        auto model = screenFromText(c.text, &size);
        ASSERT_EQ(model.has_value(), c.known);
        if (!model) continue;
        DeviceDescription device;
        applyScreen(device, *model, size);
        EXPECT_EQ(device.idiom, c.idiom);
        EXPECT_EQ(device.screenBounds, c.size);
        EXPECT_EQ(device.isLandscape(), c.landscape);
    }
    // Every size the screens' own size tables key on is known.
    for (double side : {320.0, 375.0, 834.0, 1024.0}) {
        bool found = false;
        for (const auto& screen : knownScreens()) found = found || screen.portrait.width == side || screen.portrait.height == side;
        EXPECT_TRUE(found) << side;
    }
}

}  // namespace
}  // namespace tq
