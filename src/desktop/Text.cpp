#include "desktop/Text.h"

#include <algorithm>
#include <string>

#include "platform/ui/InstalledFonts.h"

namespace tq::desktop {

namespace {

void addFont(PangoAttrList* list, const Font& font, guint start, guint end) {
    // The fonts the screens name are drawn with metric-compatible free fonts; Pango takes the
    // fallback families as a comma-separated list.
    const InstalledFont installed = installedFont(font);
    std::string families;
    for (const auto& family : installed.families) families += (families.empty() ? "" : ",") + family;
    PangoFontDescription* description = pango_font_description_new();
    pango_font_description_set_family(description, families.c_str());
    pango_font_description_set_absolute_size(description, font.size > 0 ? font.size * PANGO_SCALE : 17 * PANGO_SCALE);
    pango_font_description_set_weight(description, static_cast<PangoWeight>(installed.weight));
    if (installed.italic) pango_font_description_set_style(description, PANGO_STYLE_ITALIC);
    PangoAttribute* attribute = pango_attr_font_desc_new(description);
    pango_font_description_free(description);
    attribute->start_index = start;
    attribute->end_index = end;
    pango_attr_list_change(list, attribute);
}

void addColor(PangoAttrList* list, const Color& color, guint start, guint end) {
    auto channel = [](double v) { return guint16(std::clamp(v, 0.0, 1.0) * 65535); };
    PangoAttribute* attribute = pango_attr_foreground_new(channel(color.red), channel(color.green), channel(color.blue));
    attribute->start_index = start;
    attribute->end_index = end;
    pango_attr_list_change(list, attribute);
    if (color.alpha < 1) {
        PangoAttribute* alpha = pango_attr_foreground_alpha_new(guint16(std::clamp(color.alpha, 0.0, 1.0) * 65535));
        alpha->start_index = start;
        alpha->end_index = end;
        pango_attr_list_change(list, alpha);
    }
}

}  // namespace

GdkRGBA toRgba(const Color& c) { return GdkRGBA{float(c.red), float(c.green), float(c.blue), float(c.alpha)}; }

PangoAttrList* textAttributes(const std::optional<Font>& font, const std::optional<Color>& color,
                              const std::optional<AttributedString>& styled) {
    PangoAttrList* list = pango_attr_list_new();
    const guint all = PANGO_ATTR_INDEX_TO_TEXT_END;
    addFont(list, font.value_or(Font::system(17)), 0, all);
    addColor(list, color.value_or(Color::black()), 0, all);
    if (!styled) return list;
    guint at = 0;
    for (const auto& run : styled->styledRuns()) {
        guint end = at + guint(run.text.size());
        if (run.font) addFont(list, *run.font, at, end);
        if (run.foregroundColor) addColor(list, *run.foregroundColor, at, end);
        if (run.underline) {
            PangoAttribute* underline = pango_attr_underline_new(PANGO_UNDERLINE_SINGLE);
            underline->start_index = at;
            underline->end_index = end;
            pango_attr_list_change(list, underline);
        }
        at = end;
    }
    return list;
}

void applyLineRules(GtkLabel* label, int lines, LineBreakMode mode) {
    PangoEllipsizeMode ellipsize = PANGO_ELLIPSIZE_END;
    switch (mode) {
        case LineBreakMode::byTruncatingHead: ellipsize = PANGO_ELLIPSIZE_START; break;
        case LineBreakMode::byTruncatingMiddle: ellipsize = PANGO_ELLIPSIZE_MIDDLE; break;
        case LineBreakMode::byClipping: ellipsize = PANGO_ELLIPSIZE_NONE; break;
        default: break;
    }
    const bool wraps = lines != 1;
    gtk_label_set_wrap(label, wraps);
    gtk_label_set_wrap_mode(label, mode == LineBreakMode::byCharWrapping ? PANGO_WRAP_CHAR : PANGO_WRAP_WORD_CHAR);
    gtk_label_set_lines(label, lines > 0 ? lines : -1);
    // A label of unlimited lines shows all its text; one of so many lines is cut at the last.
    gtk_label_set_ellipsize(label, lines == 0 ? PANGO_ELLIPSIZE_NONE : (ellipsize == PANGO_ELLIPSIZE_NONE && wraps
                                                                            ? PANGO_ELLIPSIZE_END
                                                                            : ellipsize));
    gtk_label_set_single_line_mode(label, lines == 1);
}

void applyAlignment(GtkLabel* label, TextAlignment alignment) {
    float x = 0;
    GtkJustification justify = GTK_JUSTIFY_LEFT;
    switch (alignment) {
        case TextAlignment::center: x = 0.5f, justify = GTK_JUSTIFY_CENTER; break;
        case TextAlignment::right: x = 1, justify = GTK_JUSTIFY_RIGHT; break;
        case TextAlignment::justified: justify = GTK_JUSTIFY_FILL; break;
        default: break;
    }
    gtk_label_set_xalign(label, x);
    gtk_label_set_yalign(label, 0.5f);
    gtk_label_set_justify(label, justify);
}

}  // namespace tq::desktop
