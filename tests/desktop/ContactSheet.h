#pragma once

// One picture of all the screenshots, for a person to look over: thumbnails in a grid, each with
// its name.

#include <cairo.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

namespace tq::test {

inline bool writeContactSheet(const std::vector<std::filesystem::path>& pictures, const std::filesystem::path& out,
                              int columns = 6, double thumbnail = 240) {
    if (pictures.empty()) return false;
    const int rows = int((pictures.size() + columns - 1) / columns);
    const double cellWidth = thumbnail + 16, cellHeight = thumbnail + 36;
    cairo_surface_t* sheet =
        cairo_image_surface_create(CAIRO_FORMAT_RGB24, int(cellWidth * columns), int(cellHeight * rows));
    cairo_t* cr = cairo_create(sheet);
    cairo_set_source_rgb(cr, 0.93, 0.93, 0.93);
    cairo_paint(cr);
    for (std::size_t i = 0; i < pictures.size(); ++i) {
        const double x = (i % columns) * cellWidth + 8, y = (i / columns) * cellHeight + 8;
        cairo_surface_t* picture = cairo_image_surface_create_from_png(pictures[i].c_str());
        if (cairo_surface_status(picture) == CAIRO_STATUS_SUCCESS) {
            const double w = cairo_image_surface_get_width(picture), h = cairo_image_surface_get_height(picture);
            const double scale = std::min(thumbnail / w, thumbnail / h);
            cairo_save(cr);
            cairo_translate(cr, x + (thumbnail - w * scale) / 2, y);
            cairo_scale(cr, scale, scale);
            cairo_set_source_surface(cr, picture, 0, 0);
            cairo_paint(cr);
            cairo_restore(cr);
        }
        cairo_surface_destroy(picture);
        cairo_set_source_rgb(cr, 0, 0, 0);
        cairo_select_font_face(cr, "Liberation Sans", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
        cairo_set_font_size(cr, 10);
        cairo_move_to(cr, x, y + thumbnail + 16);
        cairo_show_text(cr, pictures[i].stem().c_str());
    }
    cairo_destroy(cr);
    const bool written = cairo_surface_write_to_png(sheet, out.c_str()) == CAIRO_STATUS_SUCCESS;
    cairo_surface_destroy(sheet);
    return written;
}

}  // namespace tq::test
