#pragma once

// The renderers of every view kind, each a small object; Renderers.cpp keys them by kind.

#include <memory>
#include <vector>

#include "desktop/Renderer.h"

namespace tq {
class BarButtonItem;
}

namespace tq::desktop {

class Images;

// Set on the button drawn for a bar button item: the item it stands for (a `BarButtonItem*`).
inline constexpr const char* kBarItemKey = "tq-bar-item";

const Renderer& viewRenderer();
const Renderer& labelRenderer();
const Renderer& imageViewRenderer();
const Renderer& buttonRenderer();
const Renderer& activityIndicatorRenderer();
const Renderer& segmentedControlRenderer();
const Renderer& sliderRenderer();
const Renderer& switchRenderer();
const Renderer& textFieldRenderer();
const Renderer& starRatingRenderer();
const Renderer& scrollViewRenderer();
const Renderer& tableViewRenderer();
const Renderer& tableViewCellRenderer();
const Renderer& imageScrollViewRenderer();
const Renderer& navigationBarRenderer();
const Renderer& toolbarRenderer();
const Renderer& webViewRenderer();
const Renderer& videoLayerRenderer();
const Renderer& panoramaRenderer();
const Renderer& mapViewRenderer();

// Fills `box` with a button per bar button item (spaces as room); a click taps the item.
void fillBarItems(GtkWidget* box, const std::vector<std::shared_ptr<BarButtonItem>>& items, Images& images);

}  // namespace tq::desktop
