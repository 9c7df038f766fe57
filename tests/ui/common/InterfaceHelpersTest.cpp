#include <gtest/gtest.h>

#include "ui/common/AlertStyling.h"
#include "ui/common/HomeButton.h"
#include "ui/common/LanguageNames.h"
#include "ui/common/TextFieldHelpers.h"
#include "platform/ui/BarButtonItem.h"
#include "support/TestEnvironment.h"

namespace tq {
namespace {

TEST(LanguageName, KnownCodesGiveTheirOwnNameAndEverythingElseEnglish) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"en", "English"}, {"fr", "Français"}, {"es", "Español"}, {"de", "Deutsch"}, {"pt", "Português"},
        {"tr", "Türkçe"}, {"it", "Italiano"}, {"tw", "中國語文"}, {"el", "Ελληνικά"}, {"ar", "عرب"},
        {"ja", "日本語"}, {"cn", "中国语文"}, {"pl", "Polski"}, {"ru", "Русский"}, {"ko", "한국어"},
        {"EN", "English"}, {"FR", "English"}, {"en-GB", "English"}, {"zh", "English"}, {"", "English"},
    };
    for (const auto& [code, name] : cases) EXPECT_EQ(languageName(code), name) << code;
    EXPECT_EQ(languageName("el").size(), 16u);
}

TEST(AlertStyling, TitleIsBoldTwentyAndMessagePlainSeventeenBothBlack) {
    AlertController alert("plain title", "plain message");
    setAttributedTitle(alert, "Preloading");
    setAttributedMessage(alert, "\nDone");
    ASSERT_TRUE(alert.attributedTitle());
    ASSERT_TRUE(alert.attributedMessage());
    EXPECT_EQ(alert.attributedTitle()->font, (Font{"HelveticaNeue-Bold", 20}));
    EXPECT_EQ(alert.attributedTitle()->foregroundColor, Color::black());
    EXPECT_EQ(alert.attributedMessage()->font, (Font{"Helvetica", 17}));
    EXPECT_EQ(alert.attributedMessage()->foregroundColor, Color::black());
    EXPECT_FALSE(alert.attributedTitle()->underline);
    EXPECT_EQ(alert.shownTitle(), "Preloading");
    EXPECT_EQ(alert.shownMessage(), "\nDone");
    EXPECT_EQ(alert.alertTitle(), "plain title");
}

struct HomeScreen : ViewController {
    int homes = 0;
    void toHome() { ++homes; }
};

TEST(HomeButton, SitsBesideTheBackButtonAndCallsTheScreenOnlyWhileItLives) {
    auto screen = std::make_shared<HomeScreen>();
    auto button = installHomeButton(*screen, &HomeScreen::toHome);
    auto& item = screen->navigationItem();
    ASSERT_EQ(item.leftBarButtonItems().size(), 1u);
    EXPECT_EQ(item.leftBarButtonItems()[0], button);
    EXPECT_TRUE(item.leftItemsSupplementBackButton());
    EXPECT_EQ(button->image(), Image::named("home"));

    EXPECT_TRUE(button->tap());
    EXPECT_EQ(screen->homes, 1);
    screen.reset();
    button->tap();  // the bar outlived its screen: nothing to call
}

TEST(KeyboardToolbar, CloseButtonEndsEditingOfItsOwnFieldOnly) {
    test::TestEnvironment env;
    auto field = std::make_shared<TextField>();
    auto other = std::make_shared<TextField>();
    addKeyboardToolbar(*field);
    addKeyboardToolbar(*other);
    ASSERT_TRUE(field->becomeFirstResponder());
    ASSERT_TRUE(other->becomeFirstResponder());

    auto toolbar = std::dynamic_pointer_cast<Toolbar>(field->inputAccessoryView());
    ASSERT_TRUE(toolbar);
    EXPECT_EQ(toolbar->frame(), Rect(0, 0, env->device().screenBounds.width, 50));
    ASSERT_EQ(toolbar->items().size(), 2u);
    EXPECT_EQ(toolbar->items()[0]->systemItem(), SystemBarItem::flexibleSpace);
    EXPECT_EQ(toolbar->items()[1]->systemItem(), SystemBarItem::close);

    toolbar->items()[1]->tap();
    EXPECT_FALSE(field->isFirstResponder());
    EXPECT_TRUE(other->isFirstResponder());
}

TEST(LeftIcon, ShownInEveryEditingStateInsetEightPoints) {
    test::TestEnvironment env;
    auto field = std::make_shared<TextField>();
    setLeftIcon(*field, Image::named("search"));
    ASSERT_TRUE(field->leftView());
    EXPECT_EQ(field->leftView()->frame(), Rect(0, 0, 28, 20));
    ASSERT_EQ(field->leftView()->subviews().size(), 1u);
    auto icon = std::dynamic_pointer_cast<ImageView>(field->leftView()->subviews()[0]);
    ASSERT_TRUE(icon);
    EXPECT_EQ(icon->frame(), Rect(8, 0, 20, 20));
    EXPECT_EQ(icon->image(), Image::named("search"));
    EXPECT_TRUE(field->isLeftViewShown());
    field->becomeFirstResponder();
    EXPECT_TRUE(field->isLeftViewShown());
}

}  // namespace
}  // namespace tq
