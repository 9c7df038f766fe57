#pragma once

// A PNG of a widget as it is drawn now, through the window's own renderer.

#include <gtk/gtk.h>

#include <filesystem>

namespace tq::desktop {

bool writePng(GtkWidget* widget, const std::filesystem::path& path);

}  // namespace tq::desktop
