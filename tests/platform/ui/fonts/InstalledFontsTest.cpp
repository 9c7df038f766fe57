#include <fontconfig/fontconfig.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "platform/ui/InstalledFonts.h"

namespace tq {
namespace {

TEST(InstalledFonts, NamesOfThePlatformGiveAMetricTwinAndTheFace) {
    const std::vector<std::string> sans{"Liberation Sans", "DejaVu Sans"};
    struct Case {
        Font font;
        int weight;
        bool italic;
        bool known;
        std::vector<std::string> families;
    };
    const Case cases[] = {
        {Font{"Helvetica", 17}, 400, false, true, sans},
        {Font{"HelveticaNeue-Bold", 20}, 700, false, true, sans},
        {Font{"Helvetica Neue", 15}, 400, false, true, sans},
        {Font{"Helvetica-BoldOblique", 12}, 700, true, true, sans},
        {Font{"HelveticaNeue-UltraLightItalic", 12}, 200, true, true, sans},
        {Font{"HelveticaNeue-Light", 12}, 300, false, true, sans},
        {Font{"HelveticaNeue-Medium", 12, FontWeight::bold}, 500, false, true, sans},  // the name's face wins
        {Font{"Helvetica", 12, FontWeight::semibold}, 600, false, true, sans},          // no face: the weight
        {Font{"Arial-BoldMT", 12}, 700, false, true, sans},
        {Font::system(15), 400, false, true, sans},
        {Font::system(15, FontWeight::bold), 700, false, true, sans},
        {Font{"System-Italic", 15}, 400, true, true, sans},
        {Font{"Papyrus-Condensed", 15}, 400, false, false, sans},
        {Font{"TimesNewRomanPS-BoldMT", 12}, 700, false, true, {"Liberation Serif", "DejaVu Serif"}},
        {Font{"Times-Italic", 12}, 400, true, true, {"Liberation Serif", "DejaVu Serif"}},
        {Font{"Courier New", 12}, 400, false, true, {"Liberation Mono", "DejaVu Sans Mono"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.font.name.empty() ? "the system font" : c.font.name);
        const auto installed = installedFont(c.font);
        EXPECT_EQ(installed.families, c.families);
        EXPECT_EQ(installed.weight, c.weight);
        EXPECT_EQ(installed.italic, c.italic);
        EXPECT_EQ(installed.known, c.known);
    }
}

// The families the table gives must be on the machine, or the font system quietly draws another.
TEST(InstalledFonts, EveryFamilyGivenIsInstalled) {
    ASSERT_TRUE(FcInit());
    for (const auto* name : {"Helvetica", "Times", "Courier"}) {
        for (const auto& family : installedFont(Font{name, 17}).families) {
            SCOPED_TRACE(family);
            std::unique_ptr<FcPattern, decltype(&FcPatternDestroy)> pattern(
                FcNameParse(reinterpret_cast<const FcChar8*>(family.c_str())), FcPatternDestroy);
            ASSERT_TRUE(pattern);
            FcConfigSubstitute(nullptr, pattern.get(), FcMatchPattern);
            FcDefaultSubstitute(pattern.get());
            FcResult result = FcResultNoMatch;
            std::unique_ptr<FcPattern, decltype(&FcPatternDestroy)> match(FcFontMatch(nullptr, pattern.get(), &result),
                                                                          FcPatternDestroy);
            ASSERT_TRUE(match);
            FcChar8* matched = nullptr;
            ASSERT_EQ(FcPatternGetString(match.get(), FC_FAMILY, 0, &matched), FcResultMatch);
            EXPECT_EQ(std::string(reinterpret_cast<const char*>(matched)), family)
                << "install fonts-liberation and fonts-dejavu-core";
        }
    }
    FcFini();
}

}  // namespace
}  // namespace tq
