// The web map's panels: the options table (its rows depend on the kind of tour), the help page and
// the first-use hand hint, with their animations.
#include "app/AppDelegate.h"
#include "platform/foundation/Environment.h"
#include "platform/services/FileURL.h"
#include "platform/ui/Animation.h"
#include "screens/maps/MapLeafletController.h"
#include "screens/maps/MapPageCalls.h"

namespace tq {
namespace {

constexpr const char* handHintShownKey = "PopUp-MapHand-Showed";

}  // namespace

enum class MapLeafletController::OptionRow { seeAround, followMe, gyroscope, centreMap, centreOnMap, centreOnPoint, centreOnPosition };

MapLeafletController::OptionsMode MapLeafletController::optionsMode() {
    if (isCustomMap()) return OptionsMode::customMap;
    return isMyTour() ? OptionsMode::downloaded : OptionsMode::online;
}

std::optional<MapLeafletController::OptionRow> MapLeafletController::optionRow(int row) {
    using R = OptionRow;
    static const std::vector<R> customRows{R::centreOnMap, R::centreOnPoint};
    static const std::vector<R> downloadedRows{R::followMe, R::gyroscope, R::centreMap, R::centreOnPoint,
                                               R::centreOnPosition};
    static const std::vector<R> onlineRows{R::seeAround, R::followMe,      R::gyroscope,
                                           R::centreMap, R::centreOnPoint, R::centreOnPosition};
    const auto mode = optionsMode();
    const auto& rows = mode == OptionsMode::customMap ? customRows
                       : mode == OptionsMode::downloaded ? downloadedRows
                                                         : onlineRows;
    if (row < 0 || static_cast<std::size_t>(row) >= rows.size()) return std::nullopt;
    return rows[static_cast<std::size_t>(row)];
}

std::string MapLeafletController::joinedLabel(const std::string& first, const std::string& second) {
    return app.text(first) + " " + app.text(second);
}

std::string MapLeafletController::optionLabel(OptionRow row) {
    switch (row) {
        case OptionRow::seeAround: return app.text(seeAround ? "StopSeeAround" : "SeeAround");
        case OptionRow::followMe: return app.text(app.followMe ? "LocationStop" : "Locate");
        case OptionRow::gyroscope: return app.text(gyroIsEnable ? "StopGyroscope" : "StartGyroscope");
        case OptionRow::centreMap: return app.text("CenterOnMap");
        case OptionRow::centreOnMap: return joinedLabel("CenterOn", "OnMap");
        case OptionRow::centreOnPoint: return joinedLabel("CenterOn", "OnPoint");
        case OptionRow::centreOnPosition: return joinedLabel("CenterOn", "OnPosition");
    }
    return {};
}

int MapLeafletController::numberOfRowsInSection(TableView& tableView, int section) {
    (void)tableView;
    (void)section;
    switch (optionsMode()) {
        case OptionsMode::customMap: return 2;
        case OptionsMode::downloaded: return 5;
        case OptionsMode::online: return 6;
    }
    return 0;
}

std::shared_ptr<TableViewCell> MapLeafletController::cellForRowAt(TableView& tableView, IndexPath indexPath) {
    (void)tableView;
    auto cell = std::make_shared<TableViewCell>(TableViewCellStyle::defaultStyle);
    if (auto row = optionRow(indexPath.row)) cell->textLabel().setText(optionLabel(*row));
    return cell;
}

void MapLeafletController::didSelectRowAt(TableView& tableView, IndexPath indexPath) {
    tableView.deselectRow(indexPath, false);
    if (auto row = optionRow(indexPath.row)) {
        switch (*row) {
            case OptionRow::seeAround: toggleSeeAround(); break;
            case OptionRow::followMe: toggleFollowMe(); break;
            case OptionRow::gyroscope: toggleGyroscope(); break;
            case OptionRow::centreMap:
            case OptionRow::centreOnMap: evaluate(std::string(mapPage::centerMap)); break;
            case OptionRow::centreOnPoint: centerOnCurrentPoi(); break;
            case OptionRow::centreOnPosition: centerOnUserPosition(); break;
        }
    }
    closeMapOptions();
}

// ---- Help page and titles

std::string MapLeafletController::helpPageName() {
    const char* prefix = isCustomMap() ? "HowItWorksPerso-" : isMyTour() ? "HowItWorksPreload-" : "HowItWorks-";
    return prefix + mapPage::helpLanguage(app.tempLang);
}

void MapLeafletController::loadHowItWorks() {
    btnShowHowItWorks->setTitle(app.text("HowItWorks"), ControlState::normal);
    btnShowOptions->setTitle(app.text("PracticalsOptions"), ControlState::normal);
    lblOptionsTitle->setText(app.text("PracticalsOptionsLabel"));
    auto name = helpPageName();
    mapHandImage->setImage(Image::named("mapHand-" + mapPage::helpLanguage(app.tempLang)));
    auto& env = Environment::current();
    if (auto page = env.bundle().pathForResource(name, "html")) {
        webViewHow->load(URLRequest{fileURL(*page), URLRequestCachePolicy::useProtocolCachePolicy, 60.0});
    } else {
        env.console().log("help page " + name + ".html is missing");
    }
    rightBarButton->setTitle(app.text("List"));
}

// ---- Panels

void MapLeafletController::showMapOptions() {
    auto weak = weakSelf();
    animate(0.2, [weak] {
        auto self = weak.lock();
        if (!self) return;
        self->popUpOptions->setHidden(false);
        self->popUpOptions->setAlpha(1.0);
        self->popUpOptionsInnerView->setAlpha(1.0);
    });
}

void MapLeafletController::closeMapOptions() {
    auto weak = weakSelf();
    animate(
        0.3,
        [weak] {
            auto self = weak.lock();
            if (!self) return;
            self->popUpOptions->setAlpha(0.0);
            self->popUpOptionsInnerView->setAlpha(0.0);
        },
        [weak](bool) {
            if (auto self = weak.lock()) self->popUpOptions->setHidden(true);
        });
}

void MapLeafletController::showExplanation() {
    auto weak = weakSelf();
    animate(0.5, [weak] {
        auto self = weak.lock();
        if (!self) return;
        self->popUpHow->setHidden(false);
        self->popUpHow->setAlpha(0.9);
    });
}

void MapLeafletController::closeExplanation() {
    auto weak = weakSelf();
    animate(
        0.3,
        [weak] {
            if (auto self = weak.lock()) self->popUpHow->setAlpha(0.0);
        },
        [weak](bool) {
            if (auto self = weak.lock()) self->popUpHow->setHidden(true);
        });
}

void MapLeafletController::viewDidAppear(bool animated) {
    (void)animated;
    showHandHintOnFirstUse();
}

void MapLeafletController::showHandHintOnFirstUse() {
    auto& settings = Environment::current().settings();
    if (settings.boolForKey(handHintShownKey)) return;
    // Written before the hint shows, so that it never comes back on either map.
    settings.setBool(handHintShownKey, true);
    popUp->setHidden(false);
    popUpBG->setHidden(false);
    auto weak = weakSelf();
    animate(1.0, [weak] {
        auto self = weak.lock();
        if (!self) return;
        self->popUp->setAlpha(1.0);
        self->popUpBG->setAlpha(0.7);
    });
}

void MapLeafletController::closeHandPopup() {
    auto weak = weakSelf();
    animate(
        0.5,
        [weak] {
            auto self = weak.lock();
            if (!self) return;
            self->popUp->setAlpha(0.0);
            self->popUpBG->setAlpha(0.0);
        },
        [weak](bool) {
            auto self = weak.lock();
            if (!self) return;
            self->popUp->setHidden(true);
            self->popUpBG->setHidden(true);
        });
}

}  // namespace tq
