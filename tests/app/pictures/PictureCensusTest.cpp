#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <utility>
#include <string>
#include <vector>

#include "app/AppDelegate.h"
#include "app/storyboards/Storyboards.h"
#include "platform/foundation/Bundle.h"
#include "platform/services/ImageDecoding.h"
#include "platform/ui/BarButtonItem.h"
#include "platform/ui/Button.h"
#include "platform/ui/ImageScrollView.h"
#include "platform/ui/NavigationController.h"
#include "platform/ui/SegmentedControl.h"
#include "platform/ui/StarRatingView.h"
#include "platform/ui/Storyboard.h"
#include "support/TestEnvironment.h"
#include "support/TestWebService.h"
#include "support/UiTestHelpers.h"

namespace tq::test {
namespace {

// The kinds of transport the web service gives a tour ("type_transport"); the tour screen shows
// "transport_" followed by the kind, "bike" when it has none.
const std::vector<std::string> kTransportModes{"foot", "bike", "car", "bus", "boat"};

// Every picture a screen can name, following the rules by which the screens build the names.
std::set<std::string> picturesTheScreensCanName() {
    std::set<std::string> names{
        // home: still backgrounds; logo (Spanish shows the English one)
        "background", "background-land", "trelvo-en", "trelvo-fr",
        // bar buttons and the navigation bar's back indicator
        "home", "search", "refresh", "back.png",
        // search and places
        "magnifyingglass", "distance", "close",
        // content player and its audio player
        "360White", "zoomNoHandle", "playContent", "pauseContent", "audioplayer_play.png", "audioplayer_pause.png",
        // maps: the native map's compass, marker glyph and hint
        "compass", "pin", "mapHand",
        // the stepping buttons of the maps and the content player; the map's way-finding button
        "stepPrevious", "stepNext", "directions",
        // the tour screen's picture until the tour's own arrives
        "tourPlaceholder",
        // catalogue cells' network badge, by interface language
        "network-en.png", "network-fr.png", "network-esp.png",
        StarRatingView::filledStarImageName, StarRatingView::emptyStarImageName,
        // asked for as files: a catalogue cell's tour without a picture, the map pages' markers
        "default_image.png", "marker-icon.png", "marker-shadow.png", "position.png"};
    for (const std::string code : {"en", "fr", "es"}) {
        for (const std::string button : {"about-", "search-", "favoris-", "catalog-"}) {
            names.insert(button + code);
            names.insert(button + code + "-sh");
        }
        names.insert("boussole-" + code);
        names.insert("btnAccederNoir-" + code);
        names.insert("mapHand-" + code);
    }
    for (const auto& mode : kTransportModes) names.insert("transport_" + mode);
    for (auto item : {SystemBarItem::none, SystemBarItem::flexibleSpace, SystemBarItem::fixedSpace, SystemBarItem::close,
                      SystemBarItem::done, SystemBarItem::cancel, SystemBarItem::action}) {
        if (auto name = systemBarItemImageName(item)) names.insert(*name);
    }
    return names;
}

std::string readFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

TEST(PictureCensus, EveryPictureTheScreensCanNameIsInTheBundleAtBothScales) {
    Bundle bundle(TQ_TEST_BUNDLE_DIR);
    for (const auto& name : picturesTheScreensCanName()) {
        SCOPED_TRACE(name);
        auto one = bundle.pathForImage(name, 1);
        auto two = bundle.pathForImage(name, 2);
        ASSERT_TRUE(one) << "the bundle has no picture \"" << name << "\"";
        ASSERT_TRUE(two);
        std::string failure;
        auto small = decodeImage(readFile(*one), &failure);
        ASSERT_TRUE(small) << one->string() << ": " << failure;
        if (*two == *one) continue;  // a picture drawn at one scale only
        auto large = decodeImage(readFile(*two), &failure);
        ASSERT_TRUE(large) << two->string() << ": " << failure;
        EXPECT_EQ(large->width, 2 * small->width);
        EXPECT_EQ(large->height, 2 * small->height);
    }
}

TEST(PictureCensus, LanguagePicturesCarryTheirOwnWords) {
    // A language's picture drawn from another language's text would be the same picture. Pairs
    // whose words differ ("Catalogue" is English and French alike).
    Bundle bundle(TQ_TEST_BUNDLE_DIR);
    const std::pair<std::string, std::string> pairs[] = {
        {"catalog-en", "catalog-es"}, {"favoris-en", "favoris-fr"},           {"about-fr-sh", "about-es-sh"},
        {"boussole-fr", "boussole-es"}, {"btnAccederNoir-en", "btnAccederNoir-fr"}, {"network-fr.png", "network-esp.png"},
        {"trelvo-en", "trelvo-fr"},
    };
    for (const auto& [one, other] : pairs) {
        auto a = bundle.pathForImage(one);
        auto b = bundle.pathForImage(other);
        ASSERT_TRUE(a && b) << one << ", " << other;
        EXPECT_TRUE(readFile(*a) != readFile(*b)) << one << " and " << other << " are the same picture";
    }
}

// The names the screens set on what they show, collected from a view tree.
class NameCollector {
public:
    void collect(const std::optional<Image>& image) {
        if (image && image->source == Image::Source::bundle) names.insert(image->name);
    }
    void collect(const std::vector<std::shared_ptr<BarButtonItem>>& items) {
        for (const auto& item : items) {
            if (item) collect(item->image());
        }
    }
    void collect(const NavigationItem& item) {
        collect(item.leftBarButtonItems());
        collect(item.rightBarButtonItems());
        if (item.backBarButtonItem()) collect(item.backBarButtonItem()->image());
    }
    void collect(const View& view) {
        if (auto* image = dynamic_cast<const ImageView*>(&view)) collect(image->image());
        if (auto* zoom = dynamic_cast<const ImageScrollView*>(&view)) collect(zoom->image());
        if (auto* button = dynamic_cast<const Button*>(&view)) {
            for (auto state : {ControlState::normal, ControlState::highlighted, ControlState::disabled,
                               ControlState::selected, ControlState::selected | ControlState::highlighted}) {
                collect(button->image(state));
                collect(button->backgroundImage(state));
            }
        }
        if (auto* segments = dynamic_cast<const SegmentedControl*>(&view)) {
            for (int i = 0; i < segments->numberOfSegments(); ++i) collect(segments->imageForSegment(i));
        }
        if (auto* toolbar = dynamic_cast<const Toolbar*>(&view)) collect(toolbar->items());
        if (auto* bar = dynamic_cast<const NavigationBar*>(&view)) {
            if (bar->backIndicatorImage()) names.insert(*bar->backIndicatorImage());
        }
        for (const auto& child : view.subviews()) collect(*child);
        for (const auto* attached : view.attachedViews()) collect(*attached);
    }
    std::set<std::string> names;
};

struct WalkCase {
    const char* name;
    DeviceIdiom idiom;
    Size portraitScreen;
};

// Every registered screen, in each language, on a phone and on a tablet: each picture it names
// is one the census knows, so a screen that lands with a new picture fails here until it is drawn.
class PictureWalk : public ::testing::TestWithParam<WalkCase> {
protected:
    static TestEnvironmentOptions optionsFor(const WalkCase& device) {
        TestEnvironmentOptions options;
        options.device.idiom = device.idiom;
        options.device.screenBounds = device.portraitScreen;
        return options;
    }
    TestWebService service;
    TestEnvironment env{optionsFor(GetParam())};
};

TEST_P(PictureWalk, EveryRegisteredScreenNamesOnlyPicturesOfTheCensus) {
    service.connect(env.env());
    auto& app = env->shared<AppDelegate>();
    app.didFinishLaunching();
    auto& registry = StoryboardRegistry::shared();
    registerStoryboards(registry);
    const auto census = picturesTheScreensCanName();
    Bundle bundle(TQ_TEST_BUNDLE_DIR);

    NameCollector seen;
    for (std::int64_t lang : {0, 1, 2}) {
        app.lang = lang;
        app.tempLang = lang;
        app.loadLanguageDictionary();
        for (const auto& boardName : registry.names()) {
            auto board = registry.named(boardName);
            for (const auto& identifier : board->screenIdentifiers()) {
                auto screen = board->instantiateViewController(identifier);
                ASSERT_TRUE(screen) << boardName << "/" << identifier;
                auto navigation = std::make_shared<NavigationController>(screen);
                auto window = showInWindow(navigation);
                env.settle();
                seen.collect(screen->view());
                seen.collect(screen->navigationItem());
                seen.collect(navigation->navigationBar());
            }
        }
    }
    EXPECT_GT(seen.names.size(), 10u);
    for (const auto& name : seen.names) {
        if (name.empty()) continue;  // the empty name asks for no picture
        EXPECT_TRUE(census.count(name)) << "a screen names the picture \"" << name << "\" the census lacks";
        EXPECT_TRUE(bundle.pathForImage(name)) << "the bundle has no picture \"" << name << "\"";
    }
}

INSTANTIATE_TEST_SUITE_P(BothIdioms, PictureWalk,
                         ::testing::Values(WalkCase{"phone", DeviceIdiom::phone, {390, 844}},
                                           WalkCase{"tablet", DeviceIdiom::pad, {820, 1180}}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace tq::test
