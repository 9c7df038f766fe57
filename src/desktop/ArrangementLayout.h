#pragma once

// The one layout manager of our own: it places a view widget's children where the layout rules
// (platform/ui/LayoutRules.h) place the view's subviews, the same rules the headless walk checks.
// GTK's boxes cannot take the signed offsets the screens use (margins cannot be negative), and
// one manager keeps column, row, overlay, fixed and scroll content under the same rules.

#include <gtk/gtk.h>

G_BEGIN_DECLS
#define TQ_TYPE_ARRANGEMENT_LAYOUT (tq_arrangement_layout_get_type())
G_DECLARE_FINAL_TYPE(TqArrangementLayout, tq_arrangement_layout, TQ, ARRANGEMENT_LAYOUT, GtkLayoutManager)
G_END_DECLS
