#include "screens/tour/TourDetailController.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

#include "app/AppDelegate.h"
#include "product/ProductSites.h"
#include "platform/foundation/Environment.h"
#include "platform/foundation/Numbers.h"
#include "platform/services/Analytics.h"
#include "platform/ui/Animation.h"
#include "platform/ui/ImageLoader.h"
#include "platform/ui/NavigationController.h"
#include "platform/ui/ProgressOverlay.h"
#include "platform/ui/Storyboard.h"
#include "screens/tour/TourNeighbours.h"
#include "service/Network.h"
#include "storage/TourFiles.h"
#include "ui/common/HomeButton.h"

namespace tq {
namespace {

constexpr double kImageFade = 0.3;

std::string valueOr(const std::optional<std::string>& text) { return text.value_or(""); }

}  // namespace

TourDetailController::TourDetailController()
    : movieController(std::make_shared<VideoPlayerViewController>()), app(AppDelegate::shared()) {}

TourDetailController::~TourDetailController() = default;

std::weak_ptr<TourDetailController> TourDetailController::weakSelf() {
    return std::static_pointer_cast<TourDetailController>(shared_from_this());
}

// ---- Actions

void TourDetailController::wireActions() {
    auto weak = weakSelf();
    auto on = [weak](auto method) {
        return [weak, method] {
            if (auto self = weak.lock()) ((*self).*method)();
        };
    };
    btnHiddenTourContent->addAction(ControlEvent::touchUpInside, on(&TourDetailController::showHiddenContentAlert));
    btnPreload->addAction(ControlEvent::touchUpInside, on(&TourDetailController::preloadTour));
    btnConsultIntro->addAction(ControlEvent::touchUpInside, on(&TourDetailController::playIntro));
    btnConsultIntroLand->addAction(ControlEvent::touchUpInside, on(&TourDetailController::playIntro));
    btnShare->setAction(on(&TourDetailController::share));

    auto segue = [weak](const char* identifier) {
        return [weak, identifier](Control& sender) {
            if (auto self = weak.lock()) self->triggerSegue(identifier, sender.shared_from_this());
        };
    };
    for (const auto& button : {btnConsultTop, btnConsultImag}) {
        button->addAction(ControlEvent::touchUpInside, segue("showMap"));
    }
    for (const auto& button : {btnPresentedBy, btnPresentedByLand}) {
        button->addAction(ControlEvent::touchUpInside, segue("showNetworkPresentedBy"));
    }
    for (const auto& button : {btnNetworkTop, btnNetworkImage, btnNetworkMiddle, btnNetworkImageLand, btnNetworkMiddleLand}) {
        button->addAction(ControlEvent::touchUpInside, segue("showNetwork"));
    }
    for (const auto& control : {segLanguage, segLanguageLand}) {
        control->addAction(ControlEvent::valueChanged, [weak](Control& sender) {
            if (auto self = weak.lock()) self->changeTourLanguage(static_cast<SegmentedControl&>(sender));
        });
    }
}

// ---- Life cycle

void TourDetailController::viewDidLoad() {
    ViewController::viewDidLoad();
    laidOut_ = {constTopStackPresentedby->constant(), constTopDescriptionView->constant(),
                constLblLangTitleTop->constant(), constLblLangTitleTopLand->constant()};
    loadTourDetail();

    tourImageLand->setCornerRadius(10);
    tourImage->setCornerRadius(10);
    for (const auto& label : {lblCurrentLang, lblCurrentLangLand}) {
        label->setClipsToBounds(true);
        label->setCornerRadius(10);
    }

    setTitle("");
    installHomeButton(*this, &TourDetailController::toHome);

    for (const auto& control : {segLanguage, segLanguageLand}) {
        control->setTitleTextAttributes({Color::black(), std::nullopt}, ControlState::normal);
        control->setTitleTextAttributes({Color::white(), std::nullopt}, ControlState::selected);
    }
    if (auto nav = navigationController()) nav->setNavigationBarHidden(false);
    portraitView->setShowsVerticalScrollIndicator(false);
    btnConsultIntro->imageView().setContentMode(ContentMode::scaleAspectFit);
    btnConsultIntroLand->imageView().setContentMode(ContentMode::scaleAspectFit);
}

void TourDetailController::viewWillAppear(bool animated) {
    ViewController::viewWillAppear(animated);
    ProgressOverlay::shared().setOffset({0, 0});
    landscapeView->setAlpha(1);
    portraitView->setAlpha(1);
    auto bounds = Environment::current().device().screenBounds;
    landscapeView->setHidden(!(bounds.width > bounds.height));
    portraitView->setHidden(bounds.height < bounds.width);
}

void TourDetailController::viewWillDisappear(bool animated) {
    ViewController::viewWillDisappear(animated);
    // Leaving before the tour came: the wait ends with the screen, and the late reply finds no one.
    if (isMovingFromParent() && loadInFlight_) {
        loadInFlight_ = false;
        ProgressOverlay::shared().dismiss();
    }
}

void TourDetailController::makeShownTourCurrent() {
    if (tour) Network::shared().currentTour = tour;
}

void TourDetailController::toHome() {
    app.tempLang = app.lang;
    app.loadLanguageDictionary();
    if (auto nav = navigationController()) nav->popToRootViewController(true);
}

// ---- Loading

void TourDetailController::loadTourDetail() {
    ratingView->setFillMode(StarFillMode::precise);
    ratingViewLand->setFillMode(StarFillMode::precise);
    auto& network = Network::shared();

    if (!app.isMyTour) {
        ProgressOverlay::shared().show();
        loadInFlight_ = true;
        auto weak = weakSelf();
        network.loadCurrentTour(app.tourId, [weak](bool success) {
            // A screen that has gone took its wait with it; the screen in front is not this reply's.
            auto self = weak.lock();
            if (!self || !self->loadInFlight_) return;
            self->loadInFlight_ = false;
            if (success) {
                self->segLanguage->setSelectedSegmentIndex(0);
                self->segLanguageLand->setSelectedSegmentIndex(0);
                self->populateTourDetail();
            } else if (auto nav = self->navigationController()) {
                nav->popViewController(true);
            }
            ProgressOverlay::shared().dismiss([weak] {
                if (auto self = weak.lock()) {
                    self->activityIndicatorImage->setHidden(false);
                    self->activityIndicatorImageLand->setHidden(false);
                }
            });
        });
        return;
    }

    constBtnConsultFull->setActive(false);
    network.currentTour = nullptr;
    for (const auto& stored : network.localCatalogue) {
        if (stored && stored->circuit_id && *stored->circuit_id == app.tourId) {
            network.currentTour = stored;
            break;
        }
    }
    populateTourDetail();
}

// ---- Filling

void TourDetailController::populateTourDetail() {
    auto current = Network::shared().currentTour;
    if (!current) {
        auto alert = std::make_shared<AlertController>(app.text("Error"), app.text("TourEmptyError"));
        auto weak = weakSelf();
        alert->addAction({"OK", AlertActionStyle::cancel, [weak] {
                              auto self = weak.lock();
                              auto nav = self ? self->navigationController() : nullptr;
                              if (nav) nav->popToRootViewController(true);
                          }});
        present(alert, true);
        return;
    }
    tour = current;

    btnConsultTop->setTitle(app.text("Consult"));
    btnHiddenTourContent->setTitle(app.text("Consult"));
    btnPreload->setTitle(app.text("Preload"));
    lblPresentedBy->setText(app.text("PresentedBy"));
    lblNearOfLand->setText(app.text("Start City"));
    lblPresentedByLand->setText(app.text("PresentedBy"));
    lblTitle->setText(valueOr(tour->title));

    // Every filling says what the mode withdraws and what it offers, so nothing is left over from
    // an earlier filling of the same screen.
    constBtnConsultFull->setActive(!app.isMyTour);
    btnShare->setEnabled(!app.isMyTour);
    showMainImages();
    lblCity->setText(tour->city ? valueOr(tour->city->name) : std::string());
    lblCityLand->setText(lblCity->text());
    showPresenter();

    for (const auto& web : {descriptionView, descriptionViewLand}) {
        web->scrollView().setScrollEnabled(false);
        web->setUIDelegate(this);
        web->setNavigationDelegate(this);
    }
    loadDescriptionHtml();
    buildLanguageSegments();

    if (isFlagSet(tour->is_circuit_head)) {
        showNetworkLayout();
    } else {
        showTourLayout();
    }

    animate(1.0, [this] {
        for (const auto& view : std::initializer_list<std::shared_ptr<View>>{
                 stackTitle, labelsView, labelsViewLand, tourImage, tourImageLand, descriptionView, descriptionViewLand,
                 landscapeView, portraitView}) {
            view->setAlpha(1);
        }
    });
    presentedBy = valueOr(tour->org_id);
    Analytics::shared().logEvent("Consulter_circuit", {{"nom", valueOr(tour->title)}});
}

void TourDetailController::showMainImages() {
    auto& loader = Environment::current().shared<ImageLoader>();
    ImageLoadOptions options;
    options.fadeDuration = kImageFade;

    if (app.isMyTour) {
        TourFiles files(Environment::current().cacheDir());
        auto file = files.mainImage(valueOr(tour->circuit_id), valueOr(tour->circuit_imagepath));
        if (file && tour->circuit_id && tour->circuit_imagepath) {
            std::error_code error;
            bool reachable = std::filesystem::is_regular_file(*file, error);
            if (error && error != std::errc::no_such_file_or_directory) {
                Environment::current().console().log("test  " + error.message());
            } else if (reachable) {
                loader.setLocalImage(tourImage, *file, options);
                loader.setLocalImage(tourImageLand, *file, options);
            }
        }
        btnPreload->setHidden(true);
        btnConsultIntro->setHidden(true);
        btnConsultIntroLand->setHidden(true);
        return;
    }

    if (tour->circuit_imagepath && !tour->circuit_imagepath->empty()) {
        auto address = std::string("https://") + ProductSites::french + "/public/assets/" + *tour->circuit_imagepath;
        loader.setImage(tourImage, address, options);
        loader.setImage(tourImageLand, address, options);
    }
    bool noIntro = !tour->urlVideoIntro || tour->urlVideoIntro->empty();
    btnConsultIntro->setHidden(noIntro);
    btnConsultIntroLand->setHidden(noIntro);
}

void TourDetailController::showPresenter() {
    AttributedString name;
    name.text = valueOr(tour->org_name);
    name.font = Font::system(16, FontWeight::semibold);
    name.foregroundColor = Color::black();
    name.underline = true;
    name.alignment = TextAlignment::left;
    name.lineBreakMode = LineBreakMode::byTruncatingTail;
    for (const auto& button : {btnPresentedBy, btnPresentedByLand}) {
        button->setAttributedTitle(name);
        button->setEnabled(!app.isMyTour);
    }
}

// ---- An ordinary tour

void TourDetailController::showTourLayout() {
    constTopStackPresentedby->setConstant(laidOut_.topStackPresentedby);
    constTopDescriptionView->setConstant(laidOut_.topDescriptionView);
    constLblLangTitleTop->setConstant(laidOut_.lblLangTitleTop);
    constLblLangTitleTopLand->setConstant(laidOut_.lblLangTitleTopLand);
    for (const auto& button : {btnNetworkTop, btnNetworkImage, btnNetworkMiddle, btnNetworkImageLand, btnNetworkMiddleLand}) {
        button->setHidden(true);
    }
    for (const auto& view : std::initializer_list<std::shared_ptr<View>>{
             lblRating, lblPoi, lblPoiCount, imgTransport, lblRatingLand, lblPoiLand, lblPoiCountLand, imgTransportLand,
             splitView}) {
        view->setHidden(false);
    }
    btnPreload->setHidden(app.isMyTour);

    lblNearOf->setText(app.text("Start City"));
    lblTourDetails->setText(app.text("Tour Details"));
    lblPoi->setText(app.text("No. of Point of Interest"));
    lblPoiCount->setText(valueOr(tour->poi_count));
    lblRating->setText(app.text("Rating"));
    lblNoRating->setText(app.text("NotRated"));
    lblDistance->setText(app.text("Distance"));
    lblPoiLand->setText(app.text("No. of Point of Interest"));
    lblPoiCountLand->setText(valueOr(tour->poi_count));
    lblRatingLand->setText(app.text("Rating"));
    lblNoRatingLand->setText(app.text("NotRated"));
    lblDistanceLand->setText(app.text("Distance"));
    fillRating();
    fillDistance();

    auto transport = Image::named("transport_" + tour->type_transport.value_or("bike"));
    imgTransport->setImage(transport);
    imgTransportLand->setImage(transport);

    applyHiddenContent();
    openMapAtPendingPoint();
}

void TourDetailController::fillRating() {
    // A counter of 0 counts as 1; texts that are no numbers give no rating at all.
    auto score = parseDouble(valueOr(tour->rating_total_score));
    auto counter = parseDouble(valueOr(tour->rating_total_counter));
    double rating = 0;
    if (score && counter) rating = *score / (*counter == 0 ? 1.0 : *counter);
    tour->rating = rating;

    bool notRated = tour->rating_total_score == "0";
    for (const auto& [stars, label] : {std::pair{ratingView, lblNoRating}, std::pair{ratingViewLand, lblNoRatingLand}}) {
        stars->setRating(rating);
        stars->setHidden(notRated);
        label->setHidden(!notRated);
    }
}

std::string tourDistanceText(const std::optional<std::string>& length, const std::string& distanceUnit) {
    if (!length || *length == "0.00") return "";
    if (distanceUnit == "km") return *length + " km";
    auto value = parseDouble(*length);
    if (!value) return "";
    float miles = static_cast<float>(*value) * 0.62137f;
    char text[64];
    std::snprintf(text, sizeof text, "%5.2f Mi", static_cast<double>(miles));
    return text;
}

void TourDetailController::fillDistance() {
    lblDistanceLength->setText(tourDistanceText(tour->length, app.distanceUnit));
    lblDistanceLengthLand->setText(tourDistanceText(tour->length, app.distanceUnit));
}

void TourDetailController::applyHiddenContent() {
    bool hidden = tour->contenu_cache && *tour->contenu_cache != "0";
    btnPreload->setEnabled(!hidden);
    btnConsultTop->setEnabled(!hidden);
    btnConsultImag->setEnabled(!hidden);
    btnHiddenTourContent->setHidden(!hidden);
}

void TourDetailController::openMapAtPendingPoint() {
    if (!app.idPoiToPush || app.idPoiToPush->empty()) return;
    std::int64_t index = 0;
    if (tour->poi) {
        const auto& points = *tour->poi;
        for (std::size_t i = 0; i < points.size(); ++i) {
            if (points[i] && points[i]->poi_id == app.idPoiToPush) {
                index = static_cast<std::int64_t>(i);
                break;
            }
        }
    }
    app.idPoiToPush.reset();
    makeShownTourCurrent();
    auto board = storyboard();
    auto map = board ? board->instantiateViewController("MapLeafletController") : nullptr;
    if (!map) return;
    if (auto* pointMap = dynamic_cast<PointMapScreen*>(map.get())) pointMap->setCurrentPoiIndex(index);
    if (auto nav = navigationController()) nav->pushViewController(map, true);
}

// ---- A network of tours

void TourDetailController::showNetworkLayout() {
    bool pad = Environment::current().device().idiom == DeviceIdiom::pad;
    constLblLangTitleTopLand->setConstant(10);
    constTopStackPresentedby->setConstant(pad ? 90 : 100);
    constTopDescriptionView->setConstant(pad ? laidOut_.topDescriptionView : -5);
    constLblLangTitleTop->setConstant(-40);

    for (const auto& button : {btnNetworkTop, btnNetworkImage, btnNetworkMiddle, btnNetworkImageLand, btnNetworkMiddleLand}) {
        button->setHidden(false);
    }
    for (const auto& view : std::initializer_list<std::shared_ptr<View>>{
             lblRating, ratingView, lblPoi, lblPoiCount, imgTransport, lblNoRating, lblRatingLand, ratingViewLand,
             lblPoiLand, lblPoiCountLand, imgTransportLand, lblNoRatingLand, btnPreload, splitView}) {
        view->setHidden(true);
    }
    // A network head has no content of its own to hide.
    btnPreload->setEnabled(true);
    btnConsultTop->setEnabled(true);
    btnConsultImag->setEnabled(true);
    btnHiddenTourContent->setHidden(true);

    lblTourDetails->setText(app.text("NetworkDetail"));
    lblDistance->setText(app.text("Offers"));
    lblNearOf->setText(app.text("Territory"));
    btnNetworkTop->setTitle(app.text("Network"));
    lblDistanceLand->setText(app.text("Offers"));
    lblDistanceLengthLand->setText(valueOr(tour->poi_count));
    lblDistanceLength->setText(valueOr(tour->poi_count));

    auto& network = Network::shared();
    network.lastNetworkId = tour->circuit_id;
    if (tour->circuit_id) {
        auto weak = weakSelf();
        network.getNetworkCatalogue(*tour->circuit_id, true, [weak, shown = tour](bool success) {
            auto self = weak.lock();
            if (!self || self->tour != shown) return;  // a newer filling owns the label now
            self->lblDistanceLength->setText(success ? std::to_string(Network::shared().networkCatalogue.size())
                                                     : valueOr(shown->poi_count));
        });
    }

    std::string code = app.tempLang == 1 ? "fr" : app.tempLang == 2 ? "es" : "en";
    btnNetworkMiddle->setImage(Image::named("btnAccederNoir-" + code));
    btnNetworkMiddleLand->setImage(Image::named("btnAccederNoir-" + code));
}

// ---- Segues

void TourDetailController::prepareForSegue(StoryboardSegue& segue, const std::any&) {
    makeShownTourCurrent();
    if (segue.identifier() == "showNetworkPresentedBy") {
        auto destination = segue.destinationViewController();
        destination->setTitle(lblPresentedBy->text());
        if (auto* list = dynamic_cast<TourListScreen*>(destination.get())) list->setForNetwork(false);
        Network::shared().lastNetworkId = presentedBy;
    } else if (segue.identifier() == "showNetwork") {
        Network::shared().lastNetworkId = tour ? tour->circuit_id.get() : std::nullopt;
    }
}

}  // namespace tq
