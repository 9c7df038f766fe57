#include <filesystem>
#include <fstream>

#include "CatalogScreenFixture.h"
#include "model/Json.h"
#include "platform/ui/ImageLoader.h"
#include "platform/ui/TableView.h"
#include "storage/TourFiles.h"
#include "support/ArrangementWalk.h"
#include "ui/common/LanguageNames.h"

namespace tq {
namespace {

using namespace test;

// One cell, configured as a list would configure it, for a tour read from service JSON.
class CatalogueCellTest : public CatalogScreenTest {
protected:
    explicit CatalogueCellTest(TestEnvironmentOptions options = {}) : CatalogScreenTest(std::move(options)) {}

    static TourRef tourFrom(nlohmann::json json) {
        auto reply = decodeToursReply(listReply({std::move(json)}));
        EXPECT_TRUE(reply) << reply.error();
        return reply ? reply->results.front() : nullptr;
    }

    std::shared_ptr<CatalogueCell> configured(nlohmann::json json, bool myTour = false) {
        app().isMyTour = myTour;
        auto table = std::make_shared<TableView>(Rect(0, 0, 390, 600));
        CatalogueCell::registerIn(*table);
        auto cell = std::dynamic_pointer_cast<CatalogueCell>(table->dequeueReusableCell(CatalogueCell::cellIdentifier));
        EXPECT_TRUE(cell);
        if (!cell) return nullptr;
        cell->tour = tourFrom(std::move(json));
        if (myTour && cell->tour) Network::computeTourRatings({cell->tour});
        cell->configureCell();
        cell->layoutIfNeeded();
        return cell;
    }

    struct UpdateDelegate : CatalogueCellDelegate {
        std::vector<int> tags;
        void confirmTourUpdate(Button& sender) override { tags.push_back(sender.tag()); }
    };
};

TEST_F(CatalogueCellTest, TheLanguageLineNamesTheOtherVersionsOnlyOnline) {
    auto json = listedTour("7", {{"id_circuit_en", "7"}, {"id_circuit_fr", "8"}, {"id_circuit_ja", "9"},
                                 {"id_circuit_es", "0"}, {"id_circuit_de", nullptr}});
    auto online = configured(json);
    ASSERT_TRUE(online);
    auto line = online->lblLanguage->attributedText();
    ASSERT_TRUE(line);
    EXPECT_EQ(line->text, languageName("en") + " | " + languageName("fr") + " | " + languageName("ja"));
    auto runs = line->styledRuns();
    ASSERT_EQ(runs.size(), 3u);
    EXPECT_EQ(runs[0].font, Font::system(15, FontWeight::semibold));
    EXPECT_EQ(runs[1].font, Font::system(15, FontWeight::regular));
    EXPECT_EQ(runs[0].foregroundColor, Color::black());
    EXPECT_EQ(line->lineBreakMode, LineBreakMode::byTruncatingTail);

    auto stored = configured(json, true);
    ASSERT_TRUE(stored);
    EXPECT_EQ(stored->lblLanguage->text(), languageName("en"));
}

TEST_F(CatalogueCellTest, TheDistanceIsShownInTheChosenUnit) {
    struct Case {
        nlohmann::json distance;
        std::string unit;
        std::optional<std::string> number;  // nothing: the label is hidden
    };
    const std::vector<Case> cases = {
        {"3.7", "km", "3.7"},       {"20", "mile", "12.43"},    {"1", "mile", " 0.62"},
        {"abc", "mile", std::nullopt}, {"abc", "km", std::nullopt}, {" 3", "km", std::nullopt},
        {"3.7km", "mile", std::nullopt}, {nullptr, "km", std::nullopt},
    };
    for (const auto& c : cases) {
        app().distanceUnit = c.unit;
        auto cell = configured(listedTour("7", {{"distance", c.distance}}));
        ASSERT_TRUE(cell);
        SCOPED_TRACE(c.distance.dump() + " " + c.unit);
        if (!c.number) {
            EXPECT_TRUE(cell->lblDistanceFrom->isHidden());
            EXPECT_EQ(cell->contentView().frame().height(), 105);
            continue;
        }
        EXPECT_FALSE(cell->lblDistanceFrom->isHidden());
        EXPECT_EQ(cell->lblDistanceFrom->text(), *c.number + (c.unit == "km" ? " km " : " Mi ") + app().text("FromMe"));
    }
}

TEST_F(CatalogueCellTest, ThePlaceLineFollowsTheTextLanguageOnline) {
    const auto json = listedTour("7", {{"city_name_fr", "Québec"}, {"city_name_en", "Quebec City"},
                                       {"state_name_fr", "Québec"}, {"country_nom_fr", "Canada"},
                                       {"country_nom_es", "Canadá"}, {"state_name_en", "Quebec"}});
    struct Case {
        std::int64_t tempLang;
        std::string place;
        std::string badge;
    };
    const std::vector<Case> cases = {
        {kFrench, "Québec (Québec), Canada", "network-fr.png"},
        {kSpanish, "Quebec City, Canadá", "network-esp.png"},
        {kEnglish, "Quebec City (Quebec)", "network-en.png"},
    };
    for (const auto& c : cases) {
        app().tempLang = c.tempLang;
        auto cell = configured(json);
        ASSERT_TRUE(cell);
        EXPECT_EQ(cell->lblCity->text(), c.place);
        EXPECT_EQ(cell->imgNetwork->image(), Image::named(c.badge));
        EXPECT_EQ(cell->imgNetworkLand->image(), Image::named(c.badge));
    }
    app().tempLang = kEnglish;
    auto stored = configured(listedTour("7", {{"city", {{"name", "Lévis"}, {"country_name", ""}}}}), true);
    ASSERT_TRUE(stored);
    EXPECT_EQ(stored->lblCity->text(), "Lévis");
}

TEST_F(CatalogueCellTest, OneRatingStateShowsAtATime) {
    struct Case {
        const char* name;
        nlohmann::json extra;
        bool myTour;
        bool notRated, stars, badge, update;
    };
    const std::vector<Case> cases = {
        {"head", {{"is_circuit_head", "1"}, {"needUpdate", "1"}}, true, false, false, true, false},
        {"not rated", {{"rating_total_score", "0"}, {"rating_total_counter", "0"}}, false, true, false, false, false},
        {"rated", {{"rating_total_score", "17"}, {"rating_total_counter", "5"}}, false, false, true, false, false},
        {"no score", {}, false, false, true, false, false},
        {"update", {{"rating_total_score", "0"}, {"needUpdate", "1"}}, true, false, false, false, true},
        {"update online", {{"needUpdate", "1"}}, false, false, true, false, false},
        {"update of an unnamed tour", {{"needUpdate", "1"}, {"circuit_id", "12a"}}, true, false, true, false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto cell = configured(listedTour("7", c.extra), c.myTour);
        ASSERT_TRUE(cell);
        EXPECT_EQ(!cell->lblNotRated->isHidden(), c.notRated);
        EXPECT_EQ(!cell->lblNotRatedLand->isHidden(), c.notRated);
        EXPECT_EQ(!cell->ratingView->isHidden(), c.stars);
        EXPECT_EQ(!cell->ratingViewLand->isHidden(), c.stars);
        EXPECT_EQ(!cell->imgNetwork->isHidden(), c.badge);
        EXPECT_EQ(!cell->btnUpdate->isHidden(), c.update);
        EXPECT_EQ(!cell->btnUpdateLand->isHidden(), c.update);
    }
    auto rated = configured(listedTour("7", {{"rating_total_score", "17"}, {"rating_total_counter", "5"}}), true);
    ASSERT_TRUE(rated);
    EXPECT_DOUBLE_EQ(rated->ratingView->rating(), 3.4);
    EXPECT_EQ(rated->ratingView->fillMode(), StarFillMode::precise);
}

TEST_F(CatalogueCellTest, TheUpdateButtonCarriesTheTourNumberToTheDelegate) {
    auto cell = configured(listedTour("1234", {{"needUpdate", "1"}}), true);
    ASSERT_TRUE(cell);
    EXPECT_EQ(cell->btnUpdate->title(), app().text("Update"));
    EXPECT_EQ(cell->lblSize->text(), app().text("Size:"));
    // Without a delegate the button does nothing.
    EXPECT_TRUE(cell->btnUpdate->tap());

    auto delegate = std::make_shared<UpdateDelegate>();
    cell->cellDelegate = delegate;
    EXPECT_TRUE(cell->btnUpdate->tap());
    EXPECT_EQ(delegate->tags, std::vector<int>{1234});

    // The cell does not keep its delegate alive.
    std::weak_ptr<UpdateDelegate> weak = delegate;
    delegate.reset();
    EXPECT_TRUE(weak.expired());
    EXPECT_TRUE(cell->btnUpdate->tap());

    for (const char* id : {"99999999999", "-", "7 "}) {
        auto unnamed = configured(listedTour(id, {{"needUpdate", "1"}}), true);
        ASSERT_TRUE(unnamed);
        EXPECT_EQ(unnamed->btnUpdate->tag(), 0) << id;
        EXPECT_TRUE(unnamed->btnUpdate->isHidden()) << id;
    }
}

TEST_F(CatalogueCellTest, TheThumbnailComesFromTheSiteOnlineAndFromTheTourFolderOffline) {
    auto online = configured(listedTour("7", {{"circuit_imagepath", "upload_pic/resized/7_resized.jpg"}}));
    ASSERT_TRUE(online);
    auto* load = env->shared<ImageLoader>().lastLoadInto(*online->thumbnail);
    ASSERT_TRUE(load);
    EXPECT_EQ(load->source, "https://www.trelvoquest.com/upload_pic/thumbHD/7_thumbHD.jpg");
    EXPECT_EQ(online->thumbnail->cornerRadius(), 5);

    auto fallback = configured(listedTour("7", {{"circuit_imagepath", "images/default_image.png"}}), true);
    ASSERT_TRUE(fallback);
    ASSERT_TRUE(fallback->thumbnail->image());
    EXPECT_EQ(fallback->thumbnail->image()->name, env->bundle().pathForResource("default_image", "png")->string());

    TourFiles files(env->cacheDir());
    auto image = files.mainImage("7", "main_7.jpg");
    ASSERT_TRUE(image);
    std::filesystem::create_directories(image->parent_path());
    std::ofstream(*image) << "picture";
    auto stored = configured(listedTour("7", {{"circuit_imagepath", "main_7.jpg"}}), true);
    ASSERT_TRUE(stored);
    EXPECT_EQ(stored->thumbnail->image(), Image::file(image->string()));

    auto missing = configured(listedTour("8", {{"circuit_imagepath", "main_8.jpg"}}), true);
    ASSERT_TRUE(missing);
    EXPECT_FALSE(missing->thumbnail->image());
}

// A cell as wide as its table: the picture on the left as wide as its constraint says, the texts
// after it, nothing drawn over anything else, whatever the width.
TEST_F(CatalogueCellTest, TextsFollowThePictureAtEveryTableWidth) {
    auto cell = configured(listedTour("7", {{"distance", "12.5"}, {"rating_total_score", "3"}, {"rating", 4},
                                            {"city_name_en", "Quebec"}, {"country_nom_en", "Canada"}}));
    ASSERT_TRUE(cell);
    ASSERT_FALSE(cell->lblDistanceFrom->isHidden());
    for (double width : {320.0, 390.0, 820.0, 1024.0}) {
        SCOPED_TRACE(width);
        const Rect row(0, 0, width, 115);  // a phone's row for a tour with its distance
        cell->setFrame(row);
        EXPECT_EQ(cell->contentView().frame(), row);
        for (const auto& fault : layoutFaults(*cell, row)) ADD_FAILURE() << fault;
        auto plan = planLayout(*cell, row);
        auto at = [&](const View& view) { return plan.placement(view)->rect; };
        ASSERT_TRUE(plan.placement(*cell->thumbnail));
        ASSERT_TRUE(plan.placement(*cell->lblTitle));
        EXPECT_EQ(at(*cell->thumbnail).width(), cell->constWidthtImage->constant());
        EXPECT_GE(at(*cell->lblTitle).origin.x, at(*cell->thumbnail).origin.x + at(*cell->thumbnail).width());
        EXPECT_LE(at(*cell->lblTitle).origin.x + at(*cell->lblTitle).width(), width);
    }
}

TEST_F(CatalogueCellTest, TheRatingRowFitsTheOrientation) {
    auto cell = configured(listedTour("7"));
    ASSERT_TRUE(cell);
    EXPECT_FALSE(cell->viewRatingBottom->isHidden());
    EXPECT_TRUE(cell->viewRatingBottomLand->isHidden());
    rotate(DeviceOrientation::landscapeRight);
    cell->layoutIfNeeded();
    EXPECT_TRUE(cell->viewRatingBottom->isHidden());
    EXPECT_FALSE(cell->viewRatingBottomLand->isHidden());
    // The tablet sizes stay the layout's on a phone.
    EXPECT_EQ(cell->constWidthtImage->constant(), 200);
}

class CatalogueCellOnATabletTest : public CatalogueCellTest {
protected:
    CatalogueCellOnATabletTest() : CatalogueCellTest(tabletOptions()) {}
};

TEST_F(CatalogueCellOnATabletTest, TheThumbnailGrowsInLandscape) {
    auto cell = configured(listedTour("7"));
    ASSERT_TRUE(cell);
    EXPECT_EQ(cell->constWidthtImage->constant(), 200);
    EXPECT_EQ(cell->constHeightImage->constant(), 88);
    rotate(DeviceOrientation::landscapeLeft);
    cell->layoutIfNeeded();
    EXPECT_EQ(cell->constWidthtImage->constant(), 250);
    EXPECT_EQ(cell->constWidthStackLeft->constant(), 250);
    EXPECT_EQ(cell->constHeightImage->constant(), 110);
    EXPECT_EQ(cell->constHeightLeftView->constant(), 110);
}

}  // namespace
}  // namespace tq
