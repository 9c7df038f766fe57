// Point-by-point navigation on the web map: stepping, centring, a point chosen on the page or in
// the point list, opening a point's contents, the end of the tour, and the audio hand-over.
#include <cmath>

#include "platform/foundation/Environment.h"
#include "platform/media/AudioPlayer.h"
#include "platform/ui/Storyboard.h"
#include "screens/maps/MapLeafletController.h"
#include "screens/maps/MapPageCalls.h"
#include "screens/maps/PoiSelectController.h"
#include "screens/tour/ContentController.h"
#include "screens/tour/MediaPlayers.h"
#include "service/Network.h"

namespace tq {
namespace {

constexpr double kDisabledPrevAlpha = 0.8;

// A whole number answered by the page; nothing for anything else.
std::optional<std::int64_t> wholeAnswer(const ScriptValue& value) {
    auto number = scriptNumber(value);
    if (!number || *number != std::floor(*number) || *number < -9.0e18 || *number > 9.0e18) return std::nullopt;
    return static_cast<std::int64_t>(*number);
}

}  // namespace

void MapLeafletController::fadeOutAudioForStepping() {
    if (!audioPlayer.audioStillRunning) return;
    audioPlayer.audioStillRunning = false;
    auto player = audioPlayer.player;
    if (!player) return;
    player->setVolume(0.0, 1.0);
    std::weak_ptr<AudioPlayer> faded = player;
    Environment::current().loop().postAfter(1.0, [faded] {
        if (auto player = faded.lock()) player->stop();
    });
}

void MapLeafletController::setPrevEnabled(bool enabled, std::optional<double> alpha) {
    btnPrev->setEnabled(enabled);
    if (alpha) btnPrev->setAlpha(*alpha);
}

void MapLeafletController::next() {
    fadeOutAudioForStepping();
    setPrevEnabled(true, 1.0);
    if (auto position = pointPosition(currentPoiIndex + 1)) {
        currentPoiIndex += 1;
        currentPOI = (*tour->poi)[*position];
        centerOnCurrentPoi();
        return;
    }
    // Past the last point the tour ends on the rating screen; the position stays on the last point.
    if (currentPoiIndex < 0 || pointCount() == 0) currentPoiIndex = 0;
    auto rating = storyboard() ? storyboard()->instantiateViewController("RateTourController") : nullptr;
    if (!rating) {
        Environment::current().console().log("RateTourController is not in the storyboard");
        return;
    }
    if (isPad()) {
        rating->setModalTransitionStyle(ModalTransitionStyle::flipHorizontal);
        rating->setModalPresentationStyle(ModalPresentationStyle::popover);
        if (auto* popover = rating->popoverPresentationController()) popover->setBarButtonItem(rightBarButton);
    }
    makeShownTourCurrent();
    show(rating);
}

void MapLeafletController::previous() {
    fadeOutAudioForStepping();
    if (currentPoiIndex <= 1) {
        currentPoiIndex = 0;
        setPrevEnabled(false, kDisabledPrevAlpha);
    } else {
        currentPoiIndex -= 1;
    }
    centerOnCurrentPoi();
}

void MapLeafletController::makeShownTourCurrent() {
    if (tour) Network::shared().currentTour = tour;
}

void MapLeafletController::centerOnCurrentPoi() { evaluate(mapPage::centreOnPoint(currentPoiIndex)); }

void MapLeafletController::showCurrentPoiContent() {
    if (!currentPOI) return;
    auto content = storyboard() ? storyboard()->instantiate<ContentController>("ContentController") : nullptr;
    if (!content) return;
    content->contents = currentPOI->content.value_or(std::vector<PoiContentRef>{});
    makeShownTourCurrent();
    show(content);
}

void MapLeafletController::showPoiFromPage(const ScriptValue& result, const std::optional<WebError>& error) {
    if (error) return;
    auto index = wholeAnswer(result);
    if (!index) return;
    auto position = pointPosition(*index);
    if (!position) return;
    currentPoiIndex = *index;
    currentPOI = (*tour->poi)[*position];
    btnPrev->setEnabled(*index != 0);
    showCurrentPoiContent();
}

void MapLeafletController::showAroundPoiFromPage(const ScriptValue& result, const std::optional<WebError>& error) {
    if (error) return;
    auto index = wholeAnswer(result);
    const auto& around = Network::shared().poiAround;
    if (!index || !around || *index < 0 || static_cast<std::uint64_t>(*index) >= around->size()) return;
    auto content = storyboard() ? storyboard()->instantiate<ContentController>("ContentController") : nullptr;
    if (!content) return;
    content->contents = (*around)[static_cast<std::size_t>(*index)]->content.value_or(std::vector<PoiContentRef>{});
    makeShownTourCurrent();
    show(content);
}

void MapLeafletController::selectPoiFromPage() {
    fadeOutAudioForPage();
    if (currentPoiIndex < 1) {
        currentPoiIndex = 0;
        setPrevEnabled(false, kDisabledPrevAlpha);
    } else {
        btnPrev->setAlpha(1.0);
        btnNext->setAlpha(1.0);
        btnNext->setEnabled(true);
        btnPrev->setEnabled(true);
    }
}

void MapLeafletController::showPoiSelectController() {
    auto list = storyboard() ? storyboard()->instantiate<PoiSelectController>("PoiSelectController") : nullptr;
    if (!list) return;
    if (tour && tour->poi) list->pois = *tour->poi;
    list->mapController = weakSelf();
    if (isPad()) {
        list->setModalTransitionStyle(ModalTransitionStyle::flipHorizontal);
        list->setModalPresentationStyle(ModalPresentationStyle::popover);
        if (auto* popover = list->popoverPresentationController()) popover->setBarButtonItem(rightBarButton);
    }
    present(list, true);
}

}  // namespace tq
