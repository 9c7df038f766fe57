#pragma once

// Fonts, colours and styled text on GTK labels, as the screens set them on views.

#include <gtk/gtk.h>

#include <optional>

#include "platform/ui/Style.h"

namespace tq::desktop {

// The system's blue, used by buttons and bar items without a colour of their own.
inline constexpr Color kTintBlue{0, 0.478, 1, 1};

GdkRGBA toRgba(const Color& color);
// A new attribute list (owned by the caller) for text in `font` and `color`, with the styled runs
// of `styled` on top when given.
PangoAttrList* textAttributes(const std::optional<Font>& font, const std::optional<Color>& color,
                              const std::optional<AttributedString>& styled = std::nullopt);
// Number of lines and line breaking, as a label shows them.
void applyLineRules(GtkLabel* label, int lines, LineBreakMode mode);
void applyAlignment(GtkLabel* label, TextAlignment alignment);

}  // namespace tq::desktop
